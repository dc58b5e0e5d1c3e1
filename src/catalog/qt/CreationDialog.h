#pragma once
// What the creation dialogs share: the Insert, Update, Close and Help buttons, the colour
// swatches, the link button, the preview and the description, and the insertion flow behind
// Insert and Update. Each dialog adds its lists and texts and says what it inserts.

#include "addinbase/AddinContext.h"
#include "catalog/FlashPreview.h"
#include "catalog/InsertionFlow.h"
#include "catalog/LibraryFolder.h"
#include "catalog/qt/PreviewFactory.h"

#include <QDialog>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class QComboBox;

namespace tlx {

// What Update takes from the properties dialog and gives back to it.
struct PropertiesLink {
    std::string SelectedObjectId;
    std::string Width;  // its fWidth box
    std::string Height; // its fHeight box
    std::string WMode;  // the item chosen in its WMode list
    // Sets its fBackColor swatch to the colour text the object now has.
    std::function<void(const std::string& colourText)> SetBackColor;
};

// Fills a pick list with a catalog's names (index 0, the placeholder, included) without raising
// its change events.
void FillPickList(QComboBox* list, const CatalogList& entries);
// The catalog index a pick list's choice stands for: 0 when nothing valid is chosen.
std::size_t PickedIndex(const QComboBox* list, const CatalogList& entries);

class CreationDialog : public QDialog {
public:
    ~CreationDialog() override;

    // ---- common controls
    QPushButton* Command1 = nullptr; // Insert
    QPushButton* btUpdate = nullptr; // Update, at Insert's place, hidden in insert mode
    QPushButton* Command7 = nullptr; // Close
    QPushButton* btHelp = nullptr;
    QPushButton* btBackColor = nullptr;
    QPushButton* btBorderColor = nullptr; // only with a text colour
    QPushButton* Command2 = nullptr;      // link; only with a link
    QLabel* fBackColor = nullptr;
    QLabel* fTextColor = nullptr; // only with a text colour
    QLabel* Label6 = nullptr;     // "Text Color :"
    QLineEdit* Text3 = nullptr;   // link
    QLineEdit* Text4 = nullptr;   // link window
    QLabel* lblDesc = nullptr;
    QWidget* FlashDemoWidget = nullptr;
    FlashPreview* FlashDemo = nullptr;

    // ---- common handlers; none lets an exception out
    void Command1_Click();
    void btUpdate_Click();
    void Command7_Click();
    void btHelp_Click();
    void btBackColor_Click();
    void btBorderColor_Click();
    void Command2_Click();

    // Update mode: Update shown and enabled, Insert hidden; Update then replaces the selected
    // object with the values of `link`.
    void EnterUpdateMode(PropertiesLink link);
    bool InUpdateMode() const { return update_.has_value(); }

    // Run once when the dialog goes, whatever the reason (the heading and intro movie dialogs
    // give the panel its buttons back through it).
    void SetOnUnload(std::function<void()> onUnload) { onUnload_ = std::move(onUnload); }

    // The ID of the object the last Insert or Update put into the page; empty when none.
    const std::string& PlacedId() const { return placedId_; }

    const LibraryFolder& Library() const { return library_; }
    std::string LibraryPath(const std::string& fileName) const;

    void done(int result) override;

protected:
    // `withText`: the dialog has a text colour and a link.
    CreationDialog(AddinContext& context, const PreviewFactory& previews, QSize previewSize,
                   bool withText, QWidget* parent);

    // The object to insert from the current choices; nothing when no movie is chosen (the
    // dialog then closes without inserting).
    virtual std::optional<PreparedObject> Prepare() = 0;
    // Run by Insert after the page check: false stops the insertion (the dialog then closes
    // without inserting).
    virtual bool MayInsert(const PreparedObject& /*object*/) { return true; }
    // Run by Update after the placeholder check, before the page check.
    virtual void BeforeUpdate() {}
    virtual void RestartPreview() = 0;

    // Runs a handler; an unexpected failure is shown in a message box, never passed on.
    void Guarded(const char* where, const std::function<void()>& body);
    // Puts the common buttons into the bottom row of `grid`.
    void AddButtonRow(QGridLayout* grid, int row, int columns);
    // Adds the text colour, background colour, link and window rows from `row` on; returns
    // the next free row.
    int AddColourRows(QGridLayout* grid, int row, bool withTextColour);
    int AddLinkRows(QGridLayout* grid, int row);

    // The preview shows a movie of the library with the dialog's text colour (as TC) and
    // background colour, each where it is a whole colour text.
    void ShowLibraryMovie(const std::string& fileName);
    std::string TextColourText() const;
    std::string BackColourText() const;
    void SetColorControlsVisible(bool visible);

    AddinContext& context_;
    LibraryFolder library_;

private:
    void Place(const std::optional<UpdateTarget>& update);

    std::optional<PropertiesLink> update_;
    std::function<void()> onUnload_;
    bool unloaded_ = false;
    std::string placedId_;
};

// A push button that Enter does not press, with its object name and, unless empty, its tool
// tip.
QPushButton* DialogButton(const QString& text, const QString& name, const QString& toolTip,
                          QWidget* parent);

// A drop-down list for a catalog: sized by a fixed number of characters, so that a list of
// thousands of entries is not measured line by line.
QComboBox* PickList(const QString& name, QWidget* parent);

// Picks `index` in a list without its change signal and then runs `handler`, as a list's
// click handler runs when code selects an item.
void SelectIndex(QComboBox* list, int index, const std::function<void()>& handler);
// The same for the entry of a catalog's pick list whose movie is `fileName` (the placeholder
// when none is).
void SelectFileName(QComboBox* list, const CatalogList& entries, const std::string& fileName,
                    const std::function<void()>& handler);

} // namespace tlx
