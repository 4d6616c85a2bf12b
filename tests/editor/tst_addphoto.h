#pragma once

#include <QObject>

class TstAddPhoto : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void addModeOffersOnlyUnusedTypes();
    void inputChecksStopAtTheFirstProblem();
    void addCancelledWhileSending();
    void addSavesAndFilesBothVersions();
    void editWithoutImageKeepsTheCache();
    void chosenPhotoShowsItsSizesAndIsSentAsPrepared();
    void refusedSaveKeepsTheDialogOpen();
    void busyWorkRunsBesideTheWindows();
};
