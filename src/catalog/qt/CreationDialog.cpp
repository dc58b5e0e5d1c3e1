#include "catalog/qt/CreationDialog.h"

#include "addinbase/GuardedHandler.h"
#include "colour/qt/ColourSwatch.h"
#include "markup/LinkPicker.h"
#include "markup/TextHelpers.h"
#include "platform/Log.h"
#include "platform/qt/DialogParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QStringListModel>

namespace tlx {

namespace {

QLabel* Swatch(const QString& name, const std::string& colour, QWidget* parent) {
    auto* swatch = new QLabel(parent);
    swatch->setObjectName(name);
    swatch->setFixedSize(40, 20);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    SetSwatchColour(*swatch, colour);
    return swatch;
}

} // namespace

QPushButton* DialogButton(const QString& text, const QString& name, const QString& toolTip,
                          QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    if (!toolTip.isEmpty())
        button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

QComboBox* PickList(const QString& name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(28);
    list->setMaxVisibleItems(20);
    // Plain texts: a list of thousands of names is filled in one step, not item by item.
    list->setModel(new QStringListModel(list));
    return list;
}

void SelectIndex(QComboBox* list, int index, const std::function<void()>& handler) {
    {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index);
    }
    handler();
}

void SelectFileName(QComboBox* list, const CatalogList& entries, const std::string& fileName,
                    const std::function<void()>& handler) {
    SelectIndex(list, static_cast<int>(entries.indexOfFileName(fileName)), handler);
}

CreationDialog::CreationDialog(AddinContext& context, const PreviewFactory& previews,
                               QSize previewSize, bool withText, QWidget* parent)
    : QDialog(parent), context_(context),
      library_(LibraryFolder::Scan(LibraryFolder::Locate(context.InstallFolder))) {
    setModal(true);
    const PreviewSlot slot = (previews ? previews : WebPreviewFactory())(previewSize, this);
    FlashDemoWidget = slot.Widget;
    FlashDemo = slot.Preview;
    FlashDemoWidget->setObjectName(QStringLiteral("FlashDemo"));

    Command1 = DialogButton(tr("Insert"), QStringLiteral("Command1"), QString(), this);
    btUpdate = DialogButton(tr("Update"), QStringLiteral("btUpdate"), QString(), this);
    btUpdate->hide();
    Command7 = DialogButton(tr("Close"), QStringLiteral("Command7"), QString(), this);
    btHelp =
        DialogButton(tr("Help"), QStringLiteral("btHelp"), QStringLiteral("Mirvane Help"), this);
    btBackColor = DialogButton(QStringLiteral("..."), QStringLiteral("btBackColor"),
                               QStringLiteral("Select Color"), this);
    fBackColor = Swatch(QStringLiteral("fBackColor"), "#FFFFFF", this);
    if (withText) {
        btBorderColor = DialogButton(QStringLiteral("..."), QStringLiteral("btBorderColor"),
                                     QStringLiteral("Select Color"), this);
        fTextColor = Swatch(QStringLiteral("fTextColor"), "#000000", this);
        Label6 = new QLabel(QStringLiteral("Text Color :"), this);
        Label6->setObjectName(QStringLiteral("Label6"));
        Command2 = DialogButton(QStringLiteral("..."), QStringLiteral("Command2"),
                                QStringLiteral("Select URL"), this);
        Text3 = new QLineEdit(this);
        Text3->setObjectName(QStringLiteral("Text3"));
        Text4 = new QLineEdit(QStringLiteral("_self"), this);
        Text4->setObjectName(QStringLiteral("Text4"));
        connect(btBorderColor, &QPushButton::clicked, this, [this] { btBorderColor_Click(); });
        connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    }
    lblDesc = new QLabel(this);
    lblDesc->setObjectName(QStringLiteral("lblDesc"));
    lblDesc->setWordWrap(true);
    lblDesc->setMinimumHeight(32);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(btUpdate, &QPushButton::clicked, this, [this] { btUpdate_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(btHelp, &QPushButton::clicked, this, [this] { btHelp_Click(); });
    connect(btBackColor, &QPushButton::clicked, this, [this] { btBackColor_Click(); });
}

CreationDialog::~CreationDialog() {
    if (!unloaded_ && onUnload_) {
        unloaded_ = true;
        try {
            onUnload_();
        } catch (const std::exception&) {
            // No message may open while the dialog is taken down: the log has it.
            LogCurrentException("CreationDialog unload");
        }
    }
}

void CreationDialog::done(int result) {
    QDialog::done(result);
    if (!unloaded_) {
        unloaded_ = true;
        if (onUnload_)
            Guarded("Form_Unload", onUnload_);
    }
}

std::string CreationDialog::LibraryPath(const std::string& fileName) const {
    if (const auto found = library_.pathOf(fileName))
        return found->string();
    return (library_.folder() / fileName).string();
}

void FillPickList(QComboBox* list, const CatalogList& entries) {
    const QSignalBlocker block(list);
    QStringList names;
    names.reserve(static_cast<qsizetype>(entries.size()));
    for (const CatalogEntry& entry : entries.items())
        names << QString::fromStdString(entry.StyleName);
    if (auto* model = qobject_cast<QStringListModel*>(list->model())) {
        model->setStringList(names);
        // As filling item by item does: the first item is current.
        list->setCurrentIndex(names.isEmpty() ? -1 : 0);
    } else {
        list->clear();
        list->addItems(names);
    }
}

std::size_t PickedIndex(const QComboBox* list, const CatalogList& entries) {
    const int i = list->currentIndex();
    return i < 0 || static_cast<std::size_t>(i) >= entries.size() ? 0 : static_cast<std::size_t>(i);
}

void CreationDialog::Guarded(const char* where, const std::function<void()>& body) {
    RunGuarded(context_.platform, where, body);
}

void CreationDialog::AddButtonRow(QGridLayout* grid, int row, int columns) {
    grid->addLayout(ButtonRow({btHelp}, {Command1, btUpdate, Command7}), row, 0, 1, columns);
}

int CreationDialog::AddColourRows(QGridLayout* grid, int row, bool withTextColour) {
    const auto swatchRow = [&](QLabel* label, QLabel* swatch, QPushButton* button) {
        auto* box = new QHBoxLayout;
        box->addWidget(swatch);
        box->addWidget(button);
        box->addStretch(1);
        grid->addWidget(label, row, 0);
        grid->addLayout(box, row, 1);
        ++row;
    };
    if (withTextColour && fTextColor)
        swatchRow(Label6, fTextColor, btBorderColor);
    swatchRow(new QLabel(QStringLiteral("Background Color :"), this), fBackColor, btBackColor);
    return row;
}

int CreationDialog::AddLinkRows(QGridLayout* grid, int row) {
    auto* link = new QHBoxLayout;
    link->addWidget(Text3, 1);
    link->addWidget(Command2);
    grid->addWidget(new QLabel(QStringLiteral("Link :"), this), row, 0);
    grid->addLayout(link, row, 1);
    ++row;
    grid->addWidget(new QLabel(QStringLiteral("Window :"), this), row, 0);
    grid->addWidget(Text4, row, 1);
    return row + 1;
}

void CreationDialog::ShowLibraryMovie(const std::string& fileName) {
    FlashDemo->Movie(LibraryPath(fileName));
    if (const std::string text = TextColourText(); text.size() == 7)
        FlashDemo->SetVariable("TC", text.substr(1));
    if (const std::string back = BackColourText(); back.size() == 7)
        FlashDemo->BGColor(back);
}

std::string CreationDialog::TextColourText() const {
    return fTextColor ? SwatchColourText(*fTextColor) : std::string();
}

std::string CreationDialog::BackColourText() const {
    return SwatchColourText(*fBackColor);
}

void CreationDialog::SetColorControlsVisible(bool visible) {
    for (QWidget* widget : {static_cast<QWidget*>(fTextColor), static_cast<QWidget*>(btBorderColor),
                            static_cast<QWidget*>(Label6)})
        if (widget)
            widget->setVisible(visible);
}

void CreationDialog::EnterUpdateMode(PropertiesLink link) {
    update_ = std::move(link);
    Command1->hide();
    btUpdate->show();
    btUpdate->setEnabled(true);
}

void CreationDialog::Place(const std::optional<UpdateTarget>& target) {
    const std::optional<PreparedObject> object = Prepare();
    if (!object) {
        reject();
        return;
    }
    // The page check comes before an update removes anything from the page's folder: a page
    // outside the web has no folder of its own there.
    if (!PageIsSavedInWeb(context_.Editor)) {
        ShowUnsavedPageMessage(context_.platform);
        reject();
        return;
    }
    if (!target && !MayInsert(*object)) {
        reject();
        return;
    }
    if (target)
        BeforeUpdate();
    const PlaceResult placed = PlaceObject(context_.Editor, *object, target);
    if (placed.Status != PlaceStatus::Placed) {
        ShowPlaceFailure(context_.platform, placed.Status);
        reject();
        return;
    }
    placedId_ = placed.Id;
    if (target && update_ && update_->SetBackColor)
        update_->SetBackColor(BackColourText());
    accept();
}

void CreationDialog::Command1_Click() {
    Guarded("Command1_Click", [&] { Place(std::nullopt); });
}

void CreationDialog::btUpdate_Click() {
    Guarded("btUpdate_Click", [&] {
        if (!update_) {
            reject();
            return;
        }
        Place(UpdateTarget{update_->SelectedObjectId, update_->Width, update_->Height,
                           update_->WMode});
    });
}

void CreationDialog::Command7_Click() {
    Guarded("Command7_Click", [&] { reject(); });
}

void CreationDialog::btHelp_Click() {
    Guarded("btHelp_Click", [&] {
        ShellOpen(context_.Editor, context_.platform, context_.InstallFolder + "/Help/index.htm");
    });
}

void CreationDialog::btBackColor_Click() {
    Guarded("btBackColor_Click", [&] {
        if (const auto colour = ChooseSwatchColour(context_, *fBackColor, this)) {
            FlashDemo->BGColor(*colour);
            FlashDemo->Focus();
            RestartPreview();
        }
    });
}

void CreationDialog::btBorderColor_Click() {
    Guarded("btBorderColor_Click", [&] {
        if (!fTextColor)
            return;
        if (const auto colour = ChooseSwatchColour(context_, *fTextColor, this)) {
            FlashDemo->SetVariable("TC", ColorDigits(*colour));
            RestartPreview();
        }
    });
}

void CreationDialog::Command2_Click() {
    Guarded("Command2_Click", [&] {
        if (!Text3)
            return;
        const std::string address = PickHyperlink(context_);
        if (!address.empty())
            Text3->setText(QString::fromStdString(address));
    });
}

} // namespace tlx
