#include "app/WelcomeBar.h"

#include "platform/Log.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QWidget>

namespace tlx::app {

bool WelcomeWanted(const QSettings& settings) {
    if (!qEnvironmentVariableIsEmpty("TAMBERLUX_NO_WELCOME"))
        return false;
    return !settings.value(QLatin1String(kWelcomeDismissedKey), false).toBool();
}

WelcomeBar::WelcomeBar(const QString& sampleWeb, const QString& installFolder, QSettings& settings,
                       QWidget* parent)
    : QToolBar(QStringLiteral("Welcome"), parent), settings_(settings) {
    setObjectName(QStringLiteral("welcomeBar"));
    setMovable(false);
    setFloatable(false);
    // Not offered in the toolbars' context menu: once gone, it stays gone.
    toggleViewAction()->setVisible(false);

    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(8, 4, 8, 4);
    lblWelcome = new QLabel(box);
    // Short lines of their own: a word-wrapped label makes a toolbar far taller than its text.
    lblWelcome->setTextFormat(Qt::RichText);
    lblWelcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblWelcome->setText(
        QStringLiteral(
            "<b>Welcome to Tamberlux.</b> Your own copy of the sample web is in <code>%1</code>;"
            " change it as you like.<br>The movie library, its catalogs and the help are in your"
            " install folder <code>%2</code>.<br>To work on a web of your own, choose <b>File &gt;"
            " Open Web...</b> (or start <code>tamberlux FOLDER</code>).<br>The toolbar button"
            " <b>VORNE Mirvane &gt; Mirvane Kestrelite</b> opens the Tamberlux panel.")
            .arg(sampleWeb.toHtmlEscaped(), installFolder.toHtmlEscaped()));
    layout->addWidget(lblWelcome, 1);
    btDismiss = new QPushButton(QStringLiteral("&Don't Show Again"), box);
    btDismiss->setToolTip(QStringLiteral("Close this welcome for good"));
    layout->addWidget(btDismiss, 0, Qt::AlignVCenter);
    addWidget(box);

    connect(btDismiss, &QPushButton::clicked, this, [this] {
        settings_.setValue(QLatin1String(kWelcomeDismissedKey), true);
        settings_.sync();
        if (settings_.status() != QSettings::NoError)
            LogWarning("WelcomeBar", "the settings file " + settings_.fileName().toStdString() +
                                         " could not be written; the welcome comes back next time");
        hide();
    });
}

} // namespace tlx::app
