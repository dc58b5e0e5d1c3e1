#include "editing/qt/ReEditDialogs.h"

#include "catalog/StyleTypes.h"
#include "catalog/qt/CreationDialogs.h"
#include "catalog/qt/FlashHeading.h"
#include "catalog/qt/FlashMovie.h"
#include "catalog/qt/fButton.h"
#include "colour/qt/ColourSwatch.h"
#include "editing/ReEdit.h"
#include "markup/MarkupReader.h"
#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>

namespace tlx {

namespace {

std::string LastSix(const std::string& text) {
    return text.size() > 6 ? text.substr(text.size() - 6) : text;
}

// What Update needs of the properties dialog, read when it runs.
PropertiesLink LinkTo(FlashProp& properties, const AddinContext& context) {
    PropertiesLink link;
    link.SelectedObjectId = context.SelectedObjectId;
    link.Width = fromQString(properties.fWidth->text());
    link.Height = fromQString(properties.fHeight->text());
    link.WMode = fromQString(properties.WMode->currentText());
    QPointer<QLabel> swatch = properties.fBackColor;
    link.SetBackColor = [swatch](const std::string& colourText) {
        if (swatch)
            SetSwatchColour(*swatch, colourText);
    };
    return link;
}

// The fields every creation dialog shares: link, window, text colour and background.
void FillCommon(CreationDialog& dialog, FlashProp& properties, std::string_view inner) {
    dialog.Text3->setText(toQString(MarkupQueryValue("TU", inner)));
    dialog.Text4->setText(toQString(MarkupQueryValue("TW", inner)));
    if (dialog.fTextColor)
        SetSwatchColour(*dialog.fTextColor, TextColourText(MarkupQueryValue("TC", inner)));
    SetSwatchColour(*dialog.fBackColor, SwatchColourText(*properties.fBackColor));
}

// The preview's variables from the dialog's own fields, then a restart.
void RefreshPreview(CreationDialog& dialog, FlashProp& properties) {
    FlashPreview* preview = dialog.FlashDemo;
    if (!preview)
        return;
    if (dialog.fTextColor)
        preview->SetVariable("TC", LastSix(SwatchColourText(*dialog.fTextColor)));
    preview->BGColor(SwatchColourText(*properties.fBackColor));
    preview->SetVariable("TU", fromQString(dialog.Text3->text()));
    preview->SetVariable("TW", fromQString(dialog.Text4->text()));
}

void Show(AddinContext& context, std::unique_ptr<CreationDialog> dialog, FlashProp& properties) {
    dialog->EnterUpdateMode(LinkTo(properties, context));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        dialog->adjustSize();
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    }
    properties.hide();
    CreationDialogForm form(std::move(dialog));
    context.platform.showModal(form);
}

bool ReEditButton(AddinContext& context, FlashProp& properties, const PreviewFactory& previews) {
    const std::string& inner = properties.Loaded().InnerMarkup;
    auto dialog = std::make_unique<fButton>(context, previews, nullptr);
    context.platform.doEvents();
    dialog->Text1->setText(toQString(MarkupQueryValue("T1", inner)));
    dialog->Text2->setText(toQString(MarkupQueryValue("T2", inner)));
    FillCommon(*dialog, properties, inner);
    const std::string movie = MovieFileFromMarkup(inner);
    dialog->PresetStyle(movie);
    dialog->PresetSound(MarkupQueryValue("BS", inner));

    RefreshPreview(*dialog, properties);
    if (FlashPreview* preview = dialog->FlashDemo) {
        preview->SetVariable("T1", fromQString(dialog->Text1->text()));
        preview->SetVariable("T2", fromQString(dialog->Text2->text()));
        const std::size_t sound = dialog->Sounds().indexOfFileName(MarkupQueryValue("BS", inner));
        if (sound != 0)
            preview->SetVariable("BS", dialog->LibraryPath(dialog->Sounds()[sound].FileName));
    }
    const std::size_t style = dialog->Styles().indexOfFileName(movie);
    dialog->SoundDesc->setEnabled(HasSound(dialog->Styles()[style].TypeTag));
    dialog->RestartPreview();
    Show(context, std::move(dialog), properties);
    return true;
}

bool ReEditHeading(AddinContext& context, FlashProp& properties, const PreviewFactory& previews) {
    const std::string& inner = properties.Loaded().InnerMarkup;
    auto dialog = std::make_unique<FlashHeading>(context, previews, nullptr);
    context.platform.doEvents();
    dialog->Text1->setText(toQString(MarkupQueryValue("T1", inner)));
    FillCommon(*dialog, properties, inner);
    dialog->PresetStyle(MovieFileFromMarkup(inner));
    dialog->PresetBackground(MarkupQueryValue("BM", inner));
    RefreshPreview(*dialog, properties);
    if (FlashPreview* preview = dialog->FlashDemo)
        preview->SetVariable("T1", fromQString(dialog->Text1->text()));
    dialog->RestartPreview();
    Show(context, std::move(dialog), properties);
    return true;
}

bool ReEditIntro(AddinContext& context, FlashProp& properties, const PreviewFactory& previews) {
    const std::string& inner = properties.Loaded().InnerMarkup;
    const std::string textFile = MarkupQueryValue("TF", inner);
    const Result<IntroTexts> texts = ReadIntroTextsThroughHost(context, textFile);
    if (!texts) {
        properties.unsetCursor();
        context.platform.messageBox(texts.error(), MsgButtons::OkOnly, MsgIcon::Exclamation,
                                    "Mirvane");
        return false;
    }
    auto dialog = std::make_unique<FlashMovie>(context, previews, nullptr);
    WaitWhileStatusWaiting(context);

    // From here on a failing step is passed over.
    try {
        dialog->OldVFile->setText(toQString(textFile));
        FillCommon(*dialog, properties, inner);
        dialog->PresetStyle(MovieFileFromMarkup(inner));
        dialog->PresetBackground(MarkupQueryValue("BM", inner));
        dialog->PresetMusic(MarkupQueryValue("TM", inner));
        dialog->PresetEffect(MarkupQueryValue("TE", inner));
        dialog->TSize->setText(toQString(MarkupQueryValue("TS", inner)));
        dialog->VFile->setText(
            toQString(WritePreviewTextFile(context.InstallFolder, texts->T1, texts->T2)));
        dialog->Text1->setText(toQString(texts->T1));
        dialog->AddText->setPlainText(toQString(texts->T2));
        RefreshPreview(*dialog, properties);
        if (FlashPreview* preview = dialog->FlashDemo) {
            preview->SetVariable("TF", dialog->TextFileName());
            const auto pick = [](const QComboBox* list, const CatalogList& files) {
                const int i = list->currentIndex();
                return i > 0 && static_cast<std::size_t>(i) < files.size()
                           ? files[static_cast<std::size_t>(i)].FileName
                           : std::string();
            };
            if (dialog->FlashMusic->currentIndex() > 0)
                preview->SetVariable("TM", pick(dialog->FlashMusic, dialog->Music()));
            preview->SetVariable("TE", pick(dialog->HeadStyle, dialog->Effects()));
            preview->SetVariable("BM", pick(dialog->BackStyle, dialog->Backgrounds()));
            preview->SetVariable("TS", fromQString(dialog->TSize->text()));
        }
        dialog->RestartPreview();
    } catch (const std::exception&) {
        // Its preview text file could not be written, say; the dialog opens all the same and
        // the user is told why it may show less than the object holds.
        context.Editor.SetStatusText(std::string(kIntroNotFilledText) + ": " +
                                     LogCurrentException("ReEditIntro") + ".");
    }
    Show(context, std::move(dialog), properties);
    return true;
}

} // namespace

FlashProp::CreationDialogOpener ReEditInCreationDialog(AddinContext& context,
                                                       PreviewFactory previews) {
    return [&context, previews](FlashProp& properties, ReEditKind kind) {
        switch (kind) {
        case ReEditKind::Button:
            return ReEditButton(context, properties, previews);
        case ReEditKind::Heading:
            return ReEditHeading(context, properties, previews);
        case ReEditKind::IntroMovie:
            return ReEditIntro(context, properties, previews);
        case ReEditKind::MiscArt:
        case ReEditKind::None:
            break;
        }
        return false;
    };
}

} // namespace tlx
