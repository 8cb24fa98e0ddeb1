// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"
#include "core/plot/plot.h"
#include "qtdraw/image_surface.h"
#include "screens/shell/form.h"

#include <QString>

#include <functional>

class QAction;
class QDate;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace nirdal {

/// The graph screen: the hodographs of all variants of the assignment, printing them, and
/// the commands that steer the assignment loop (finish, new variant, change of variant).
///
/// The picture is kept on an off-screen image, so it is shown again when the window is
/// uncovered.
class GraphScreen : public Form
{
    Q_OBJECT

public:
    /// Prints the sheets drawn by draw, as one document; false with the reason in error.
    using PagePrinter = std::function<bool(const PageDrawing& draw, QString& error)>;
    /// Asks where to save a PDF, starting from suggested; an empty path when cancelled.
    using SavePathChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    explicit GraphScreen(QWidget* parent = nullptr);

    /// Where the pages go; the default printer unless a printer is given. An empty printer
    /// restores the default one.
    static void SetPagePrinter(PagePrinter printer);
    /// How the PDF's path is asked for; a file dialog unless a chooser is given. An empty
    /// chooser restores the dialog.
    static void SetSavePathChooser(SavePathChooser chooser);
    /// Where a saved page is first offered to go: <group>-<surname>-<date>.pdf of the student
    /// in the user's documents folder (the home folder where there is none).
    static QString SuggestedPdfPath();
    /// "251-Абрамов-2026-12-10.pdf": the group, the surname without initials and the date,
    /// with "_" for what a file name should not hold; "nirdal-<date>.pdf" without either.
    static QString PdfFileName(const QString& group, const QString& surname, const QDate& date);

    /// Redraws the picture at 100 pixels per unit, keeping the print scale in force;
    /// places the window at the left screen edge with the picture's client size.
    void DrawPlot();
    /// Prints one page at the scale in force. A failure is shown in an error box that offers
    /// to save the page as a PDF instead.
    void PrintPlot();

    void HelpButtonClick();
    void Help();
    void ShowPrinterPanel();
    void Print();
    void Finish();
    void NewVariant();
    void ChangeVariant();
    void TakeTypedDotsPerUnit();
    void ChooseMatrixPrinter();
    void ChooseLaserPrinter();
    void FormKeyUp(int key);
    /// The analysis button and F3: "Анализ варианта N" for the variant under the pointer, or
    /// for the current variant when the pointer rests on no curve.
    void AnalyseVariant();
    /// A right click on a curve opens "Анализ варианта N" for the variant the hint names
    /// there; elsewhere it does nothing.
    void FormMouseDown(Qt::MouseButton button, QPoint at);

    const PlotFields& Fields() const { return m_fields; }
    /// Where the last drawing put 0 + j0.
    DevicePoint Origin() const { return m_origin; }
    /// The picture as drawn last.
    const QImage& Picture() { return m_picture.Image(); }

protected:
    void FormActivate() override;
    /// Resting the pointer on a curve shows the nearest stored point as a hint.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Opens the printer-kind panel: the gain in force, then the redraw.
    void OpenPrinterPanel();
    /// Hides the printer-kind panel and redraws.
    void ClosePrinterPanel();
    /// Shows why printing failed; the box's "Сохранить в PDF…" writes the page to a PDF.
    void OfferPdfInstead(const QString& printError, const PageDrawing& drawPage);
    /// Shows "Анализ варианта N" modally, keeping the print scale in force.
    void OpenAnalysis(int variant);

    QToolButton* PrintButton;
    QToolButton* HelpButton;
    QToolButton* FinishButton;
    QToolButton* NewVariantButton;
    QToolButton* PrinterPanelButton;
    QToolButton* ChangeVariantButton;
    QToolButton* AnalyseVariantButton;
    QFrame* PrinterPanel;
    QLabel* PrinterPanelHeading;
    QPushButton* MatrixPrinterButton;
    QPushButton* LaserPrinterButton;
    QLineEdit* DotsPerUnitEdit;
    QPushButton* PrinterPanelDoneButton;
    QAction* HelpAction;
    QAction* PrinterPanelAction;
    QAction* PrintAction;
    QAction* FinishAction;
    QAction* NewVariantAction;
    QAction* ChangeVariantAction;
    QAction* AnalyseVariantAction;

    PlotFields m_fields;
    DevicePoint m_origin{0, 0};
    ImageSurface m_picture;
};

extern GraphScreen* GraphForm;

} // namespace nirdal
