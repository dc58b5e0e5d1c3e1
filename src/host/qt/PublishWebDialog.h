#pragma once
// File > Publish Web...: publishes the open web into a folder while showing its progress, with
// Cancel, and ends with a summary of what was written and of every movie that is missing.
// Publishing runs on a thread of its own (and those it starts); the dialog only reads the
// state they share, so nothing of Qt is touched off the user interface thread.

#include "publish/Publisher.h"

#include <QDialog>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tlx::host {

class PublishWebDialog : public QDialog {
public:
    // Starts publishing at once. `options.progress` and `options.cancel` are the dialog's.
    PublishWebDialog(publish::PublishOptions options, QWidget* parent = nullptr);
    // Cancels a run still going and waits for it.
    ~PublishWebDialog() override;

    bool finished() const;
    // The outcome, once finished.
    const std::optional<publish::PublishResult>& result() const { return result_; }
    // The summary shown at the end.
    QString summary() const;
    void cancel();

    // The summary of a run into `dest`, as the dialog shows it.
    static QString summaryOf(const publish::PublishResult& result, const QString& dest);

protected:
    void reject() override;

private:
    struct Shared {
        std::atomic<std::size_t> done{0};
        std::atomic<std::size_t> total{0};
        std::atomic<bool> cancel{false};
        std::atomic<bool> finished{false};
        publish::PublishResult result; // written by the worker before `finished`
    };
    void poll();

    std::shared_ptr<Shared> shared_;
    std::optional<publish::PublishResult> result_;
    QString dest_;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QPushButton* button_ = nullptr;
    QTimer* poll_ = nullptr;
    std::jthread worker_; // last: joined before the members it uses go
};

} // namespace tlx::host
