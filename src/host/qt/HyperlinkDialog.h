#pragma once
// The editor's hyperlink dialog: the web's pages to pick from and an address box. Picking a
// page puts its address relative to the edited page's folder into the box.

#include "hostapi/Signal.h"

#include <QDialog>
#include <filesystem>

class QLineEdit;
class QListWidget;

namespace tlx::host {

class HtmlDocument;

class HyperlinkDialog : public QDialog {
    Q_OBJECT

public:
    // `webRoot` may be empty (no web open); `pageFolder` is the folder addresses are relative
    // to (the web's folder for a page never saved).
    HyperlinkDialog(const std::filesystem::path& webRoot, const std::filesystem::path& pageFolder,
                    QWidget* parent = nullptr);

    QListWidget* pageList() const { return pages_; }
    QLineEdit* addressBox() const { return address_; }
    QString address() const;

private:
    QListWidget* pages_;
    QLineEdit* address_;
};

// Makes the document's selection a link to `address`: <a href="address">selection</a>,
// written through the document and then selected. An empty selection gets the address as the
// link's text. False for an empty address.
bool applyHyperlink(HtmlDocument& document, const QString& address);

} // namespace tlx::host
