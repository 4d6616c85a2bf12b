#pragma once
// The main window: the application's main form. Before it first appears it runs the login; without a
// successful login it never shows and the program ends.

#include <QMainWindow>

#include <memory>

namespace Ui {
class TFrm_UploadMain;
}

class TFrm_UploadMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrm_UploadMain(QWidget *parent = nullptr);
    ~TFrm_UploadMain() override;

    // Shows the login dialog modally; true when the login succeeded.
    bool UserLogin();

    // True once the login was refused or cancelled: the window stays hidden and the application has
    // been asked to quit.
    bool TerminateRequested() const { return terminateRequested_; }

    // The first show runs FormShow before the window appears, so the login dialog stands alone.
    void setVisible(bool visible) override;

private:
    void FormCreate();
    void FormShow();

    std::unique_ptr<Ui::TFrm_UploadMain> ui;
    bool shownOnce_ = false;
    bool terminateRequested_ = false;
};
