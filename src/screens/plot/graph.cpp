// SPDX-License-Identifier: MIT
#include "screens/plot/graph.h"

#include "core/numtext/numtext.h"
#include "core/plot/curve_reading.h"
#include "core/plot/print_page.h"
#include "core/shell/shell_state.h"
#include "core/tf/assignment.h"
#include "export/picture_file.h"
#include "export/whole_device.h"
#include "printing/print_service.h"
#include "screens/plot/analysis_window.h"
#include "screens/shell/controls.h"
#include "screens/shell/information.h"
#include "screens/shell/look.h"
#include "screens/shell/placement.h"
#include "screens/shell/road.h"
#include "screens/tf/variant_choice.h"

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

GraphScreen::PagePrinter& PagePrinterInUse()
{
    static GraphScreen::PagePrinter printer = PrintPageOnDefaultPrinter;
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

GraphScreen::SavePathChooser& SavePathChooserInUse()
{
    static GraphScreen::SavePathChooser chooser = AskForPdfPath;
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

GraphScreen* GraphForm = nullptr;

GraphScreen::GraphScreen(QWidget* parent)
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

    HelpButton = AddSpeedButton(this, "SpeedButton2", Glyph::Question, QRect(672, 0, 23, 22),
                                QStringLiteral("Вопрос"));
    PrinterPanelButton =
        AddSpeedButton(this, "SpeedButton5", Glyph::Computer, QRect(672, 24, 23, 22),
                       QStringLiteral("Настройка  печати"));
    PrintButton = AddSpeedButton(this, "SpeedButton1", Glyph::Printer, QRect(672, 48, 23, 22),
                                 QStringLiteral("Печать "));
    FinishButton = AddSpeedButton(this, "SpeedButton3", Glyph::Finish, QRect(672, 72, 23, 22),
                                  QStringLiteral("Финиш"));
    NewVariantButton = AddSpeedButton(this, "SpeedButton4", Glyph::Play, QRect(672, 96, 23, 22),
                                      QStringLiteral("Новый вариант"));
    ChangeVariantButton =
        AddSpeedButton(this, "SpeedButton6", Glyph::Sheets, QRect(672, 120, 23, 22),
                       QStringLiteral("Изменение варианта"));
    AnalyseVariantButton = AddSpeedButton(this, "SpeedButton7", Glyph::Hodograph,
                                          QRect(672, 144, 23, 22), kAnalysisHint);
    AnalyseVariantButton->setAccessibleName(QStringLiteral("Анализ варианта"));

    // The printer-kind panel: heading, the two presets, then the typed value and its button.
    PrinterPanel = AddPanel(this, "Panel1", QRect(280, 8, 313, 81), look::kSkyBlue);
    PrinterPanelHeading =
        AddLabel(PrinterPanel, "Label2", QStringLiteral("Настройка   принтеров"), 8, 4);
    MatrixPrinterButton = AddButton(PrinterPanel, "Button6", QStringLiteral("Матричные ----100"),
                                    QRect(8, 22, 145, 25));
    LaserPrinterButton = AddButton(PrinterPanel, "Button7", QStringLiteral("Лазерные      --  300"),
                                   QRect(160, 22, 145, 25));
    DotsPerUnitEdit = new QLineEdit(PrinterPanel);
    DotsPerUnitEdit->setObjectName(QStringLiteral("Edit1"));
    DotsPerUnitEdit->setGeometry(8, 52, 200, 23);
    PrinterPanelDoneButton =
        AddButton(PrinterPanel, "Button5", QStringLiteral("готово"), QRect(216, 51, 89, 25));
    PrinterPanel->hide();

    // The actions carry the commands; the buttons call the same handlers directly.
    const auto makeAction = [this](const char* name, void (GraphScreen::*handler)()) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        this->addAction(action);
        return action;
    };
    HelpAction = makeAction("Action1", &GraphScreen::Help);
    PrinterPanelAction = makeAction("Action2", &GraphScreen::ShowPrinterPanel);
    PrintAction = makeAction("Action3", &GraphScreen::Print);
    FinishAction = makeAction("Action4", &GraphScreen::Finish);
    NewVariantAction = makeAction("Action5", &GraphScreen::NewVariant);
    ChangeVariantAction = makeAction("Action6", &GraphScreen::ChangeVariant);
    AnalyseVariantAction = makeAction("Action7", &GraphScreen::AnalyseVariant);
    AnalyseVariantAction->setShortcut(kAnalysisKey);

    connect(HelpButton, &QToolButton::clicked, this, &GraphScreen::HelpButtonClick);
    connect(PrinterPanelButton, &QToolButton::clicked, this, &GraphScreen::ShowPrinterPanel);
    connect(PrintButton, &QToolButton::clicked, this, &GraphScreen::Print);
    connect(FinishButton, &QToolButton::clicked, this, &GraphScreen::Finish);
    connect(NewVariantButton, &QToolButton::clicked, this, &GraphScreen::NewVariant);
    connect(ChangeVariantButton, &QToolButton::clicked, this, &GraphScreen::ChangeVariant);
    connect(AnalyseVariantButton, &QToolButton::clicked, this, &GraphScreen::AnalyseVariant);
    connect(PrinterPanelDoneButton, &QPushButton::clicked, this,
            &GraphScreen::TakeTypedDotsPerUnit);
    connect(MatrixPrinterButton, &QPushButton::clicked, this, &GraphScreen::ChooseMatrixPrinter);
    connect(LaserPrinterButton, &QPushButton::clicked, this, &GraphScreen::ChooseLaserPrinter);

    // Keys reach the window before its controls: the Print Screen key prints from anywhere.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void GraphScreen::SetPagePrinter(PagePrinter printer)
{
    PagePrinterInUse() = printer ? std::move(printer) : PagePrinter(PrintPageOnDefaultPrinter);
}

void GraphScreen::SetSavePathChooser(SavePathChooser chooser)
{
    SavePathChooserInUse() = chooser ? std::move(chooser) : SavePathChooser(AskForPdfPath);
}

QString GraphScreen::SuggestedPdfPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const Assignment& student = ProgramAssignment();
    return QDir(folder).filePath(PdfFileName(QString::fromStdString(student.StudentGroup),
                                             QString::fromStdString(student.StudentSurname),
                                             QDate::currentDate()));
}

QString GraphScreen::PdfFileName(const QString& group, const QString& surname, const QDate& date)
{
    // The surname without its initials; a name part that a file name cannot hold, or that
    // would make it hidden or a path, becomes "_".
    QStringList parts;
    for (const QString& part :
         {group, surname.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty)}) {
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

void GraphScreen::FormActivate()
{
    BuildCoefficientTexts(ProgramAssignment());
    DrawPlot();
}

void GraphScreen::DrawPlot()
{
    setFixedSize(kPictureSize);
    PlaceOnScreen(this, QPoint(0, kDesignedPlace.y()));
    // A fresh picture each time: the window shows only what the last drawing drew.
    m_picture.Clear();
    // The picture on the screen is drawn at 100 pixels per unit; the print scale the student
    // chose stays in force for the next print, whatever redraws the screen meanwhile.
    const double printScale = m_fields.PlotScale;
    m_origin = nirdal::DrawPlot(m_picture, m_fields, ProgramAssignment(),
                                StudentTitle(ProgramAssignment()));
    m_fields.PlotScale = printScale;
    m_picture.End();
    update();
}

void GraphScreen::PrintPlot()
{
    const PageDrawing drawPage = [this](PageSurface& page) {
        DrawPrintPage(page, m_fields, ProgramAssignment(), StudentTitle(ProgramAssignment()));
    };
    QString error;
    if (!PagePrinterInUse()(drawPage, error))
        OfferPdfInstead(error, drawPage);
}

void GraphScreen::OfferPdfInstead(const QString& printError, const PageDrawing& drawPage)
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
    ShowErrorBox(
        this,
        QString::fromUtf8("Файл «%1» не записан: %2").arg(QDir::toNativeSeparators(path), error));
}

void GraphScreen::HelpButtonClick()
{
    Help();
}

void GraphScreen::Help()
{
    InformationForm->ShowModal();
    DrawPlot();
}

void GraphScreen::ShowPrinterPanel()
{
    OpenPrinterPanel();
}

void GraphScreen::Print()
{
    PrintPlot();
}

void GraphScreen::Finish()
{
    ProgramAssignment().Done = true;
    Close();
}

void GraphScreen::NewVariant()
{
    if (!nirdal::NewVariant(ProgramAssignment())) {
        QMessageBox::information(
            this, QCoreApplication::applicationName(),
            QStringLiteral("Новый вариант не создан: вариантов уже %1, больше программа не "
                           "хранит.\nИзмените один из имеющихся вариантов или закончите "
                           "задание кнопкой «Финиш».")
                .arg(kMaxVariants));
        return;
    }
    Close();
}

void GraphScreen::ChangeVariant()
{
    VariantChoiceForm->ShowModal();
    Close();
}

void GraphScreen::OpenPrinterPanel()
{
    DotsPerUnitEdit->setText(QString::fromStdString(RealText(1.0L / m_fields.PlotScale)));
    PrinterPanel->show();
    MatrixPrinterButton->setFocus();
    DrawPlot();
}

void GraphScreen::ClosePrinterPanel()
{
    if (PrinterPanel->isAncestorOf(focusWidget()))
        PrinterPanelButton->setFocus();
    PrinterPanel->hide();
    DrawPlot();
}

void GraphScreen::ChooseMatrixPrinter()
{
    ClosePrinterPanel();
    m_fields.PlotScale = 0.01;
}

void GraphScreen::ChooseLaserPrinter()
{
    ClosePrinterPanel();
    m_fields.PlotScale = 1.0 / 300;
}

void GraphScreen::TakeTypedDotsPerUnit()
{
    ClosePrinterPanel();
    // An empty box keeps the scale in force; text that is no number, or a number the page
    // cannot be drawn at, is refused with its reason, and the scale stays as well.
    const std::string text = DotsPerUnitEdit->text().toStdString();
    if (text.find_first_not_of(" \t") == std::string::npos)
        return;
    const auto dotsPerUnit = ReadNumber(text);
    if (!dotsPerUnit)
        return ShowErrorBox(this, QStringLiteral("Точек на единицу: ") +
                                      QString::fromStdString(ConversionError(text).what()));
    if (const auto refusal = SetDotsPerUnit(m_fields, *dotsPerUnit))
        ShowErrorBox(this, QString::fromStdString(*refusal));
}

void GraphScreen::FormKeyUp(int key)
{
    if (key == Qt::Key_Print)
        PrintPlot();
}

bool GraphScreen::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return Form::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto reading = ReadCurveAt(ProgramAssignment(), {help->pos().x(), help->pos().y()});
    if (!reading) {
        QToolTip::hideText();
        return true;
    }
    const auto number = [](Extended x) { return QString::fromStdString(FormatNumber(x)); };
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

void GraphScreen::FormMouseDown(Qt::MouseButton button, QPoint at)
{
    if (button != Qt::RightButton)
        return;
    const auto reading = ReadCurveAt(ProgramAssignment(), {at.x(), at.y()});
    if (!reading)
        return;
    OpenAnalysis(reading->Variant);
}

void GraphScreen::AnalyseVariant()
{
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const auto reading =
        rect().contains(pointer) ? ReadCurveAt(ProgramAssignment(), {pointer.x(), pointer.y()}) : std::nullopt;
    OpenAnalysis(reading ? reading->Variant : ProgramAssignment().CurrentVariant);
}

void GraphScreen::OpenAnalysis(int variant)
{
    QToolTip::hideText();
    // The window works on its own copy of the variant; the graph stays as it is. The redraw
    // on its return would bring the print scale back to 0.01: a scale chosen before is kept.
    const PlotFields before = m_fields;
    AnalysisWindow analysis(ProgramAssignment().Variants.at(static_cast<std::size_t>(variant)),
                            variant, this);
    analysis.ShowModal();
    m_fields = before;
}

void GraphScreen::mousePressEvent(QMouseEvent* event)
{
    FormMouseDown(event->button(), event->position().toPoint());
    Form::mousePressEvent(event);
}

void GraphScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture.Image());
}

void GraphScreen::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        FormKeyUp(event->key());
    Form::keyReleaseEvent(event);
}

bool GraphScreen::eventFilter(QObject* watched, QEvent* event)
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
