#include "panel/qt/AboutBox.h"

#include "Version.h"
#include "platform/Log.h"
#include "platform/ShippedData.h"
#include "platform/qt/QtPlatform.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace tlx {

namespace {

QLabel* LinkLabel(std::string_view caption, std::string_view address, QWidget* parent) {
    const QString href = toQString(std::string(address));
    auto* label =
        new QLabel(QStringLiteral("%1: <a href=\"%2\">%2</a>")
                       .arg(toQString(std::string(caption)).toHtmlEscaped(), href.toHtmlEscaped()),
                   parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

QString ruffleVersion(const std::filesystem::path& folder) {
    QFile file(QString::fromStdString((folder / "package.json").string()));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("not found in %1").arg(file.fileName());
    const QString version =
        QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("version")).toString();
    return version.isEmpty() ? QStringLiteral("of unknown version, in %1").arg(file.fileName())
                             : version;
}

} // namespace

std::string VersionReport(const std::filesystem::path& ruffleFolder) {
    const std::string log = LogFilePath();
    const QStringList lines = {
        QStringLiteral("Tamberlux %1 (%2 %3)")
            .arg(QLatin1String(TLX_VERSION), toQString(std::string(kAboutProductName)),
                 toQString(std::string(kAboutVersion))),
        QStringLiteral("Qt %1 (built with %2), platform %3")
            .arg(QLatin1String(qVersion()), QLatin1String(QT_VERSION_STR),
                 QGuiApplication::platformName()),
        QStringLiteral("Qt WebEngine %1, Chromium %2")
            .arg(QLatin1String(qWebEngineVersion()), QLatin1String(qWebEngineChromiumVersion())),
        QStringLiteral("Ruffle %1").arg(ruffleVersion(ruffleFolder)),
        QStringLiteral("System: %1; %2 %3 on %4")
            .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                 QSysInfo::currentCpuArchitecture()),
        QStringLiteral("Log: %1").arg(log.empty() ? QStringLiteral("standard error only")
                                                  : toQString(log)),
    };
    return fromQString(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

AboutBox::AboutBox(Platform& platform, QWidget* parent) : QDialog(parent), platform_(platform) {
    setWindowTitle(QStringLiteral("About Mirvane Flash"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    lblProduct = new QLabel(toQString(std::string(kAboutProductName)), this);
    QFont heading = lblProduct->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    lblProduct->setFont(heading);
    layout->addWidget(lblProduct);

    lblVersion = new QLabel(
        QStringLiteral("Version %1, part of Tamberlux").arg(toQString(std::string(kAboutVersion))),
        this);
    layout->addWidget(lblVersion);

    lblMaker = LinkLabel("VORNE Media", kMakerWebSite, this);
    lblPlayer = LinkLabel("Flash player (Ruffle)", kPlayerWebSite, this);
    layout->addWidget(lblMaker);
    layout->addWidget(lblPlayer);
    for (QLabel* link : {lblMaker, lblPlayer})
        connect(link, &QLabel::linkActivated, this,
                [this](const QString& address) { platform_.shellOpen(fromQString(address)); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    btCopyInfo =
        buttons->addButton(QStringLiteral("&Copy Version Info"), QDialogButtonBox::ActionRole);
    btCopyInfo->setToolTip(QStringLiteral(
        "Copies the versions of Tamberlux, Qt, Ruffle and the system, for a report"));
    connect(btCopyInfo, &QPushButton::clicked, this, [this] {
        platform_.setClipboardText(VersionReport(ThisProgramsShippedData().ruffle));
        btCopyInfo->setText(QStringLiteral("Copied"));
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace tlx
