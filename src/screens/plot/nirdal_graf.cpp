// SPDX-License-Identifier: MIT
#include "screens/plot/nirdal_graf.h"

#include "core/numtext/numtext.h"
#include "core/plot/curve_reading.h"
#include "core/plot/print_page.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "export/picture_file.h"
#include "export/whole_device.h"
#include "platform/text_encoding.h"
#include "printing/print_service.h"
#include "screens/plot/nirdal_analiz.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/nirdal_inf.h"
#include "screens/shell/placement.h"
#include "screens/tf/nirdal_nastvar.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QToolTip>

namespace nirdal {
namespace {

constexpr QSize kPictureSize(kGraphClientWidth, kGraphClientHeight);
constexpr QPoint kDesignedPlace(191, 151);

QString FromCp1251(std::string_view text)
{
    return QString::fromStdString(Cp1251ToUtf8(text));
}

TNIRDAL_grafForm::PagePrinter& PagePrinterInUse()
{
    static TNIRDAL_grafForm::PagePrinter printer = PrintPageOnDefaultPrinter;
    return printer;
}

QString AskForPdfPath(QWidget* parent, const QString& suggested)
{
    // Qt's own dialog rather than the desktop's: it reads in Russian (the desktop's follows
    // the user's language) and wears the program's colours.
    return QFileDialog::getSaveFileName(parent, QString::fromUtf8("Сохранить страницу в PDF"),
                                        suggested, QString::fromUtf8("Документ PDF (*.pdf)"),
                                        nullptr, QFileDialog::DontUseNativeDialog);
}

TNIRDAL_grafForm::SavePathChooser& SavePathChooserInUse()
{
    static TNIRDAL_grafForm::SavePathChooser chooser = AskForPdfPath;
    return chooser;
}

// The key that opens the analysis window, and the analysis button's hint that names it.
const QKeySequence kAnalysisKey(Qt::Key_F3);
const QString kAnalysisHint =
    QStringLiteral("Анализ варианта — клавиша F3 или правая кнопка мыши на кривой");

// The form's font: the design's sans serif, 13 pixels high.
QFont GraphFont()
{
    return look::Font(13);
}

} // namespace

TNIRDAL_grafForm* NIRDAL_grafForm = nullptr;

TNIRDAL_grafForm::TNIRDAL_grafForm(QWidget* parent)
    : Form(parent),
      m_picture(kPictureSize, devicePixelRatioF(), look::kMenu, GraphFont(), look::kPurple, false)
{
    setObjectName(QStringLiteral("NIRDAL_grafForm"));
    setWindowTitle(QStringLiteral("АФЧХ системы"));
    // A title bar with only a close box. Declared a dialog, not a tool window: some window
    // managers (metacity) give a tool window no keyboard, and its buttons take keys.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(GraphFont());
    SetTextColour(this, look::kPurple);
    SetBackground(this, look::kMenu);
    setFixedSize(736, 382);
    move(kDesignedPlace);

    SpeedButton2 = AddSpeedButton(this, "SpeedButton2", Glyph::Question, QRect(672, 0, 23, 22),
                                  QStringLiteral("Вопрос"));
    SpeedButton5 = AddSpeedButton(this, "SpeedButton5", Glyph::Computer, QRect(672, 24, 23, 22),
                                  QStringLiteral("Настройка  печати"));
    SpeedButton1 = AddSpeedButton(this, "SpeedButton1", Glyph::Printer, QRect(672, 48, 23, 22),
                                  QStringLiteral("Печать "));
    SpeedButton3 = AddSpeedButton(this, "SpeedButton3", Glyph::Finish, QRect(672, 72, 23, 22),
                                  QStringLiteral("Финиш"));
    SpeedButton4 = AddSpeedButton(this, "SpeedButton4", Glyph::Play, QRect(672, 96, 23, 22),
                                  QStringLiteral("Новый вариант"));
    SpeedButton6 = AddSpeedButton(this, "SpeedButton6", Glyph::Sheets, QRect(672, 120, 23, 22),
                                  QStringLiteral("Изменение варианта"));
    SpeedButton7 = AddSpeedButton(this, "SpeedButton7", Glyph::Hodograph, QRect(672, 144, 23, 22),
                                  kAnalysisHint);
    SpeedButton7->setAccessibleName(QStringLiteral("Анализ варианта"));

    // The printer-kind panel: heading, the two presets, then the typed value and its button.
    Panel1 = AddPanel(this, "Panel1", QRect(280, 8, 313, 81), look::kSkyBlue);
    Label2 = AddLabel(Panel1, "Label2", QStringLiteral("Настройка   принтеров"), 8, 4);
    Button6 =
        AddButton(Panel1, "Button6", QStringLiteral("Матричные ----100"), QRect(8, 22, 145, 25));
    Button7 = AddButton(Panel1, "Button7", QStringLiteral("Лазерные      --  300"),
                        QRect(160, 22, 145, 25));
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 52, 200, 23);
    Button5 = AddButton(Panel1, "Button5", QStringLiteral("готово"), QRect(216, 51, 89, 25));
    Panel1->hide();

    // The actions carry the commands; the buttons call the same handlers directly.
    const auto makeAction = [this](const char* name, void (TNIRDAL_grafForm::*handler)()) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        this->addAction(action);
        return action;
    };
    Action1 = makeAction("Action1", &TNIRDAL_grafForm::Action1Execute);
    Action2 = makeAction("Action2", &TNIRDAL_grafForm::Action2Execute);
    Action3 = makeAction("Action3", &TNIRDAL_grafForm::Action3Execute);
    Action4 = makeAction("Action4", &TNIRDAL_grafForm::Action4Execute);
    Action5 = makeAction("Action5", &TNIRDAL_grafForm::Action5Execute);
    Action6 = makeAction("Action6", &TNIRDAL_grafForm::Action6Execute);
    Action7 = makeAction("Action7", &TNIRDAL_grafForm::Action7Execute);
    Action7->setShortcut(kAnalysisKey);

    connect(SpeedButton2, &QToolButton::clicked, this, &TNIRDAL_grafForm::SpeedButton2Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action2Execute);
    connect(SpeedButton1, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action3Execute);
    connect(SpeedButton3, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action4Execute);
    connect(SpeedButton4, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action5Execute);
    connect(SpeedButton6, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action6Execute);
    connect(SpeedButton7, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action7Execute);
    connect(Button5, &QPushButton::clicked, this, &TNIRDAL_grafForm::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TNIRDAL_grafForm::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TNIRDAL_grafForm::Button7Click);

    // Keys reach the window before its controls: the Print Screen key prints from anywhere.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TNIRDAL_grafForm::SetPagePrinter(PagePrinter printer)
{
    PagePrinterInUse() = printer ? std::move(printer) : PagePrinter(PrintPageOnDefaultPrinter);
}

void TNIRDAL_grafForm::SetSavePathChooser(SavePathChooser chooser)
{
    SavePathChooserInUse() = chooser ? std::move(chooser) : SavePathChooser(AskForPdfPath);
}

QString TNIRDAL_grafForm::SuggestedPdfPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(PdfFileName(QString::fromStdString(Cp1251ToUtf8(StudentGroup)),
                                             QString::fromStdString(Cp1251ToUtf8(StudentSurname)),
                                             QDate::currentDate()));
}

QString TNIRDAL_grafForm::PdfFileName(const QString& group, const QString& surname,
                                      const QDate& date)
{
    // The surname without its initials; a name part that a file name cannot hold, or that
    // would make it hidden or a path, becomes "_".
    QStringList parts;
    for (const QString& part : {group, surname.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty)}) {
        QString safe;
        for (const QChar c : part)
            safe += c.isLetterOrNumber() || c == QLatin1Char('-') ? c : QLatin1Char('_');
        if (!safe.isEmpty())
            parts << safe;
    }
    if (parts.isEmpty())
        parts << QStringLiteral("nirdal");
    parts << date.toString(Qt::ISODate);
    return parts.join(QLatin1Char('-')) + QStringLiteral(".pdf");
}

void TNIRDAL_grafForm::FormActivate()
{
    BuildCoefficientTexts();
    DrawPlot();
}

void TNIRDAL_grafForm::DrawPlot()
{
    setFixedSize(kPictureSize);
    PlaceOnScreen(this, QPoint(0, kDesignedPlace.y()));
    // A fresh picture each time: the window shows only what the last drawing drew.
    m_picture.Clear();
    // The picture on the screen is drawn at 100 pixels per unit; the print scale the student
    // chose stays in force for the next print, whatever redraws the screen meanwhile.
    const double printScale = m_fields.PlotScale;
    nirdal::DrawPlot(m_picture, m_fields, StudentTitle());
    m_fields.PlotScale = printScale;
    m_picture.End();
    update();
}

void TNIRDAL_grafForm::PrintPlot()
{
    const PageDrawing drawPage = [this](PageSurface& page) {
        DrawPrintPage(page, m_fields, StudentTitle());
    };
    QString error;
    if (!PagePrinterInUse()(drawPage, error))
        OfferPdfInstead(error, drawPage);
}

void TNIRDAL_grafForm::OfferPdfInstead(const QString& printError, const PageDrawing& drawPage)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), printError,
                    QMessageBox::Ok, this);
    const QPushButton* save =
        box.addButton(QString::fromUtf8("Сохранить в PDF…"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok); // Escape and the close box end it as "OK" does
    box.exec();
    if (box.clickedButton() != save)
        return;

    QString path = SavePathChooserInUse()(this, SuggestedPdfPath());
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    // Written aside and put in place whole: a failure leaves an earlier file as it was.
    QString error;
    if (WritePagePdfFile(LocalFilePath(path), drawPage, kPageDotsPerInch, error))
        return;
    ShowErrorBox(this, QString::fromUtf8("Файл «%1» не записан: %2")
                           .arg(QDir::toNativeSeparators(path), error));
}

void TNIRDAL_grafForm::SpeedButton2Click()
{
    Action1Execute();
}

void TNIRDAL_grafForm::Action1Execute()
{
    NIRDAL_infForm->ShowModal();
    DrawPlot();
}

void TNIRDAL_grafForm::Action2Execute()
{
    OpenPrinterPanel();
}

void TNIRDAL_grafForm::Action3Execute()
{
    PrintPlot();
}

void TNIRDAL_grafForm::Action4Execute()
{
    AssignmentDone = true;
    Close();
}

void TNIRDAL_grafForm::Action5Execute()
{
    // The variant counter is one byte: a 256th variant would wrap it to none.
    if (VariantCount >= kMaxVariants) {
        QMessageBox::information(
            this, QCoreApplication::applicationName(),
            QStringLiteral("Новый вариант не создан: вариантов уже %1, больше программа не "
                           "хранит.\nИзмените один из имеющихся вариантов или закончите "
                           "задание кнопкой «Финиш».")
                .arg(kMaxVariants));
        return;
    }
    AssignmentDone = false;
    ++VariantCount;
    PrepareVariantSlot(VariantCount);
    CurrentVariant = VariantCount;
    Variants[VariantCount] = Variants[VariantCount - 1];
    Close();
}

void TNIRDAL_grafForm::Action6Execute()
{
    NIRDAL_nastvarForm->ShowModal();
    Close();
}

void TNIRDAL_grafForm::OpenPrinterPanel()
{
    Edit1->setText(FromCp1251(RealText(1.0L / m_fields.PlotScale)));
    Panel1->show();
    Button6->setFocus();
    DrawPlot();
}

void TNIRDAL_grafForm::ClosePrinterPanel()
{
    if (Panel1->isAncestorOf(focusWidget()))
        SpeedButton5->setFocus();
    Panel1->hide();
    DrawPlot();
}

void TNIRDAL_grafForm::Button6Click()
{
    ClosePrinterPanel();
    m_fields.PlotScale = 0.01;
}

void TNIRDAL_grafForm::Button7Click()
{
    ClosePrinterPanel();
    m_fields.PlotScale = 1.0 / 300;
}

void TNIRDAL_grafForm::Button5Click()
{
    ClosePrinterPanel();
    // An empty box keeps the scale in force; text that is no number, or a number the page
    // cannot be drawn at, is refused with its reason, and the scale stays as well.
    const std::string text = Edit1->text().toStdString();
    if (text.find_first_not_of(" \t") == std::string::npos)
        return;
    const auto dotsPerUnit = ReadNumber(text);
    if (!dotsPerUnit)
        return ShowErrorBox(this, QStringLiteral("Точек на единицу: ") +
                                      QString::fromStdString(ConversionError(text).what()));
    if (const auto refusal = SetDotsPerUnit(m_fields, *dotsPerUnit))
        ShowErrorBox(this, FromCp1251(*refusal));
}

void TNIRDAL_grafForm::FormKeyUp(int key)
{
    if (key == Qt::Key_Print)
        PrintPlot();
}

bool TNIRDAL_grafForm::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return Form::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto reading = ReadCurveAt({help->pos().x(), help->pos().y()});
    if (!reading) {
        QToolTip::hideText();
        return true;
    }
    const auto number = [](Extended x) { return FromCp1251(FormatNumber(x)); };
    const QString text =
        QStringLiteral("вариант %1\nω = %2\nU = %3   V = %4\n|W| = %5   фаза = %6°\n"
                       "правая кнопка мыши или F3 — анализ варианта")
            .arg(reading->Variant)
            .arg(number(reading->Frequency), number(reading->U), number(reading->V),
                 number(reading->Modulus), number(reading->PhaseDegrees));
    // The hint goes when the pointer leaves the curve's neighbourhood.
    const QRect near(help->pos() - QPoint(kCurveReach, kCurveReach),
                     QSize(2 * kCurveReach + 1, 2 * kCurveReach + 1));
    QToolTip::showText(help->globalPos(), text, this, near);
    return true;
}

void TNIRDAL_grafForm::FormMouseDown(Qt::MouseButton button, QPoint at)
{
    if (button != Qt::RightButton)
        return;
    const auto reading = ReadCurveAt({at.x(), at.y()});
    if (!reading)
        return;
    OpenAnalysis(reading->Variant);
}

void TNIRDAL_grafForm::Action7Execute()
{
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const auto reading = rect().contains(pointer) ? ReadCurveAt({pointer.x(), pointer.y()})
                                                  : std::nullopt;
    OpenAnalysis(reading ? reading->Variant : CurrentVariant);
}

void TNIRDAL_grafForm::OpenAnalysis(int variant)
{
    QToolTip::hideText();
    // The window works on its own copy of the variant; the graph stays as it is. The redraw
    // on its return would bring the print scale back to 0.01: a scale chosen before is kept.
    const PlotFields before = m_fields;
    TNIRDAL_analizForm analysis(Variants.at(static_cast<std::size_t>(variant)), variant, this);
    analysis.ShowModal();
    m_fields = before;
}

void TNIRDAL_grafForm::mousePressEvent(QMouseEvent* event)
{
    FormMouseDown(event->button(), event->position().toPoint());
    Form::mousePressEvent(event);
}

void TNIRDAL_grafForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture.Image());
}

void TNIRDAL_grafForm::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        FormKeyUp(event->key());
    Form::keyReleaseEvent(event);
}

bool TNIRDAL_grafForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Print) {
            if (!key->isAutoRepeat())
                FormKeyUp(key->key());
            return true; // handled here; the control does not pass it on to the window
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace nirdal
