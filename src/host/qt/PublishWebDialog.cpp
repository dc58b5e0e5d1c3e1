#include "host/qt/PublishWebDialog.h"

#include "platform/Log.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tlx::host {

PublishWebDialog::PublishWebDialog(publish::PublishOptions options, QWidget* parent)
    : QDialog(parent), shared_(std::make_shared<Shared>()),
      dest_(QString::fromStdString(options.dest.string())) {
    setObjectName(QStringLiteral("PublishWebDialog"));
    setWindowTitle(tr("Publish Web"));
    resize(620, 380);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(tr("Publishing the web into %1...").arg(dest_), this);
    label_->setObjectName(QStringLiteral("label"));
    label_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progress"));
    bar_->setRange(0, 0);
    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("summary"));
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    report_->hide();
    button_ = new QPushButton(tr("Cancel"), this);
    button_->setObjectName(QStringLiteral("button"));
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(report_, 1);
    layout->addWidget(button_, 0, Qt::AlignRight);
    connect(button_, &QPushButton::clicked, this, [this] {
        if (finished())
            accept();
        else
            cancel();
    });

    const std::shared_ptr<Shared> shared = shared_;
    options.cancel = &shared->cancel;
    options.progress = [shared](std::size_t done, std::size_t total) {
        shared->total = total;
        shared->done = done;
    };
    worker_ = std::jthread([shared, options = std::move(options)] {
        try {
            shared->result = publish::Publish(options);
        } catch (...) {
            shared->result = publish::PublishResult{};
            shared->result.refused =
                "publishing stopped: " + LogCurrentException("PublishWebDialog");
        }
        shared->finished = true;
    });
    poll_ = new QTimer(this);
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, &PublishWebDialog::poll);
    poll_->start();
}

PublishWebDialog::~PublishWebDialog() {
    shared_->cancel = true;
    if (worker_.joinable())
        worker_.join();
}

bool PublishWebDialog::finished() const {
    return result_.has_value();
}

void PublishWebDialog::cancel() {
    if (finished())
        return;
    shared_->cancel = true;
    label_->setText(tr("Cancelling..."));
    button_->setEnabled(false);
}

void PublishWebDialog::reject() {
    // Closing the window while publishing is a Cancel; the dialog stays for the summary.
    if (finished())
        QDialog::reject();
    else
        cancel();
}

QString PublishWebDialog::summary() const {
    return result_ ? summaryOf(*result_, dest_) : QString();
}

void PublishWebDialog::poll() {
    if (!shared_->finished) {
        if (const std::size_t total = shared_->total; total > 0) {
            bar_->setRange(0, static_cast<int>(total));
            bar_->setValue(static_cast<int>(shared_->done.load()));
        }
        return;
    }
    poll_->stop();
    if (worker_.joinable())
        worker_.join();
    result_ = shared_->result;
    bar_->setRange(0, 1);
    bar_->setValue(1);
    const publish::PublishResult& r = *result_;
    label_->setText(!r.refused.empty() ? tr("Nothing was published.")
                    : r.cancelled      ? tr("Publishing was cancelled; the copy is incomplete.")
                    : r.complete()     ? tr("The web is published.")
                                       : tr("The web is published, but something is missing."));
    report_->setPlainText(summary());
    report_->show();
    button_->setText(tr("Close"));
    button_->setEnabled(true);
}

QString PublishWebDialog::summaryOf(const publish::PublishResult& r, const QString& dest) {
    if (!r.refused.empty())
        return QString::fromStdString(r.refused);
    QStringList lines;
    const QLocale locale;
    lines << tr("%1 pages, %2 of them with Flash, %3 movies; %4 files (%5) in %6")
                 .arg(r.pages)
                 .arg(r.flashPages)
                 .arg(r.movies)
                 .arg(r.files)
                 .arg(locale.formattedDataSize(static_cast<qint64>(r.bytes)))
                 .arg(dest);
    if (r.removed > 0)
        lines
            << tr("%1 files that the web no longer has were removed from the copy.").arg(r.removed);
    const auto where = [](const publish::AddressProblem& p) {
        return QString::fromStdString(p.page + ": " +
                                      (p.objectId.empty() ? "(no ID)" : p.objectId));
    };
    if (r.missing.empty())
        lines << tr("Every movie the pages name is in the copy.");
    else
        lines << tr("Missing (%1):").arg(r.missing.size());
    for (const publish::AddressProblem& p : r.missing)
        lines << QStringLiteral("  %1: %2%3")
                     .arg(where(p), QString::fromStdString(p.file),
                          p.note.empty()
                              ? QString()
                              : QStringLiteral(" (%1)").arg(QString::fromStdString(p.note)));
    if (!r.notChecked.empty())
        lines << tr("Not checked, not in the web (%1):").arg(r.notChecked.size());
    for (const publish::AddressProblem& p : r.notChecked)
        lines << QStringLiteral("  %1: %2").arg(where(p), QString::fromStdString(p.address));
    if (!r.failures.empty())
        lines << tr("Not written (%1):").arg(r.failures.size());
    for (const std::string& failure : r.failures)
        lines << QStringLiteral("  ") + QString::fromStdString(failure);
    lines << QString()
          << tr("Upload the whole folder to a web server. Opened from the disk, the pages do "
                "not play their movies: browsers refuse the player's WebAssembly from file: "
                "addresses.");
    return lines.join(QLatin1Char('\n'));
}

} // namespace tlx::host
