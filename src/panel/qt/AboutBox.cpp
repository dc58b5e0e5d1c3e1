#include "panel/qt/AboutBox.h"

#include "platform/qt/QtPlatform.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

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

} // namespace

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
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

AboutBoxForm::AboutBoxForm(Platform& platform, QWidget* parent)
    : dialog_(std::make_unique<AboutBox>(platform, parent)) {}

void AboutBoxForm::execModal() {
    dialog_->exec();
}

} // namespace tlx
