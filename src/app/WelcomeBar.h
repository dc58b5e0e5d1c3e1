#pragma once
// The welcome of the first start: a bar across the top of the editor that says where the
// sample web and the install folder are and how to open one's own web. Dismissing it is kept
// in the settings, so it is shown once per user, and never while TAMBERLUX_NO_WELCOME is set
// (the tests set it).

#include <QToolBar>

class QSettings;
class QLabel;
class QPushButton;

namespace tlx::app {

inline constexpr const char* kWelcomeDismissedKey = "welcome/dismissed";

// True when the welcome is to be shown: not yet dismissed in `settings` and not switched off
// through the environment.
bool WelcomeWanted(const QSettings& settings);

class WelcomeBar : public QToolBar {
public:
    // `settings` must outlive the bar; "Don't Show Again" records the dismissal in it.
    WelcomeBar(const QString& sampleWeb, const QString& installFolder, QSettings& settings,
               QWidget* parent = nullptr);

    QLabel* lblWelcome = nullptr;
    QPushButton* btDismiss = nullptr;

private:
    QSettings& settings_;
};

} // namespace tlx::app
