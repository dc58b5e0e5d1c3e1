#include "host/qt/HyperlinkDialog.h"

#include "host/HtmlDocument.h"
#include "host/qt/SourceCodec.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tlx::host {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

HyperlinkDialog::HyperlinkDialog(const std::filesystem::path& webRoot,
                                 const std::filesystem::path& pageFolder, QWidget* parent)
    : QDialog(parent), pages_(new QListWidget(this)), address_(new QLineEdit(this)) {
    setWindowTitle(tr("Hyperlink"));
    setObjectName(QStringLiteral("HyperlinkDialog"));
    pages_->setObjectName(QStringLiteral("pages"));
    address_->setObjectName(QStringLiteral("address"));

    if (!webRoot.empty()) {
        const QString root = QString::fromStdString(webRoot.string());
        const QDir rootDir(root);
        const QDir base(QString::fromStdString(pageFolder.string()));
        QDirIterator it(root, {QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files,
                        QDirIterator::Subdirectories);
        QStringList found;
        while (it.hasNext())
            found << it.next();
        found.sort(Qt::CaseInsensitive);
        for (const QString& file : found) {
            auto* item = new QListWidgetItem(rootDir.relativeFilePath(file), pages_);
            item->setData(kPathRole, base.relativeFilePath(file));
        }
    }
    connect(pages_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            address_->setText(item->data(kPathRole).toString());
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(pages_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto update = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!address().isEmpty());
    };
    connect(address_, &QLineEdit::textChanged, this, update);
    update();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Pages of the web:"), this));
    layout->addWidget(pages_);
    auto* form = new QFormLayout;
    form->addRow(tr("&Address:"), address_);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(420, 360);
}

QString HyperlinkDialog::address() const {
    return address_->text().trimmed();
}

bool applyHyperlink(HtmlDocument& document, const QString& address) {
    QString href = address.trimmed();
    if (href.isEmpty())
        return false;
    // A quote would end the attribute early; in an address it stands for itself as %22.
    href.replace(QLatin1Char('"'), QLatin1String("%22"));
    const SourceCodec codec = SourceCodec::forBytes(document.text());
    const std::size_t start = document.selectionStart();
    const std::size_t end = document.selectionEnd();
    std::string inner = document.text().substr(start, end - start);
    if (inner.empty())
        inner = codec.encode(address.trimmed().toHtmlEscaped());
    const std::string link = "<a href=\"" + codec.encode(href) + "\">" + inner + "</a>";
    if (!document.replaceRange(start, end, link))
        return false;
    document.setSelection(start, start + link.size());
    return true;
}

} // namespace tlx::host
