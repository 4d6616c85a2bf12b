#pragma once
// How the core tells the user something without knowing of windows: the GUI shows a message box
// (caption "提示"), the command-line tool writes to standard error.

#include <QString>

class TNotifier {
public:
    virtual ~TNotifier() = default;
    virtual void Warn(const QString &text) = 0;

    // The notifier in use; StderrNotifier until a front end installs its own (not owned).
    static TNotifier &Current();
    static void Install(TNotifier *notifier);
};

class StderrNotifier : public TNotifier {
public:
    void Warn(const QString &text) override;
};
