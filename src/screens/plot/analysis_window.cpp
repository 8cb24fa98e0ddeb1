// SPDX-License-Identifier: MIT
#include "screens/plot/analysis_window.h"

#include "core/common/number_text.h"
#include "core/common/recording_surface.h"
#include "core/common/russian_text.h"
#include "core/numtext/numtext.h"
#include "core/plot/exploration_picture.h"
#include "core/plot/stability_map_picture.h"
#include "export/picture_file.h"
#include "export/whole_device.h"
#include "qtdraw/painter_surface.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/placement.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScreen>
#include <QSlider>
#include <QStandardPaths>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtMath>

#include <cmath>

namespace nirdal {
namespace {

// The window's text: larger than the graph screen's 13 pixels, for a projector.
constexpr int kTextPixels = 15;
// On a screen less tall than this (a small one at a large scale) the figures under the
// pictures would take the pictures' room: smaller text there.
constexpr int kSmallScreenHeight = 600;
constexpr int kSmallTextPixels = 12;
// The first size wants this much room, and takes this share of a larger screen's free area.
constexpr QSize kLeastFirstSize(960, 660);
constexpr double kScreenShare = 0.85;
// Room a window manager's frame and title bar take around the client area.
constexpr QSize kFrameAllowance(12, 40);

const QString kGainLabel = QStringLiteral("Коэффициент усиления K");
const QString kDelayLabel = QStringLiteral("Дополнительное запаздывание ΔT, с");
// The figures under the verdict: three margins, Kкр, then the two of the step response.
constexpr int kFigureCount = 6;
constexpr int kFirstStepFigure = 4;

QString Text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QString AskForPicturePath(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(
        parent, QStringLiteral("Сохранить рисунок"), suggested,
        QStringLiteral("Рисунок PNG (*.png);;Рисунок SVG (*.svg);;Документ PDF (*.pdf)"), nullptr,
        QFileDialog::DontUseNativeDialog);
}

// A field shows its value as the labels do, in a form it reads back when typed over.
QString FieldText(Extended value)
{
    const std::string figure = FigureText(value);
    return Text(ReadNumber(figure) ? figure : DecimalComma(SignificantText(value, 3)));
}

AnalysisWindow::SavePathChooser& SavePathChooserInUse()
{
    static AnalysisWindow::SavePathChooser chooser = AskForPicturePath;
    return chooser;
}

QSlider* AddSlider(QWidget* parent, const char* name, const QString& label, int end, int step,
                   int page)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setRange(0, end);
    slider->setSingleStep(step);
    slider->setPageStep(page);
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->setAccessibleName(label);
    slider->setToolTip(label + QStringLiteral(": стрелки — точно, Page Up/Page Down — грубо"));
    return slider;
}

QLineEdit* AddField(QWidget* parent, const char* name, const QString& label)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setAccessibleName(label + QStringLiteral(", значение"));
    field->setMaximumWidth(110);
    return field;
}

// A painter on an image of the canvas, set up as the pictures expect it.
void PreparePainter(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(ExportFont());
    painter.setPen(Qt::black);
}

QRect ToQRect(const DeviceRect& r)
{
    return {r.Left, r.Top, r.Width, r.Height};
}

} // namespace

int GainPosition(Extended gain)
{
    const Extended position = (std::log10(gain) + 2) * kGainStepsPerDecade;
    if (!std::isfinite(position))
        return gain > 1 ? kGainSliderEnd : 0;
    return static_cast<int>(std::lround(std::clamp<Extended>(position, 0, kGainSliderEnd)));
}

Extended GainAt(int position)
{
    return std::pow(Extended{10}, static_cast<Extended>(position) / kGainStepsPerDecade - 2);
}

ExplorationCanvas::ExplorationCanvas(QWidget* parent, const Exploration& exploration)
    : QWidget(parent), m_exploration(exploration)
{
    setObjectName(QStringLiteral("Pictures"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The canvas in the screen's own pixels: on a screen of ratio 2 a picture of 800 × 600 is
// drawn on 1600 × 1200 pixels, its texts at twice the pixels of their points and its lines
// twice as wide, so that curves are as smooth as the screen can show them.
QSize ExplorationCanvas::Pixels() const
{
    return (QSizeF(size()) * devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
}

QImage ExplorationCanvas::PixelImage(QSize pixels) const
{
    QImage image(pixels, QImage::Format_RGB32);
    // Points become pixels as on a 96-dpi screen, times the ratio.
    const int dotsPerMetre = qRound(kScreenDotsPerInch / 0.0254 * devicePixelRatioF());
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    return image;
}

ExplorationLayout ExplorationCanvas::PixelLayout() const
{
    QImage probe = PixelImage({1, 1});
    QPainter painter(&probe);
    PreparePainter(painter);
    PainterSurface surface(painter);
    return LayOutExploration(surface, {Pixels().width(), Pixels().height()});
}

ExplorationLayout ExplorationCanvas::Layout() const
{
    const qreal ratio = devicePixelRatioF();
    const auto logical = [ratio](const DeviceRect& r) {
        return DeviceRect{qRound(r.Left / ratio), qRound(r.Top / ratio), qRound(r.Width / ratio),
                          qRound(r.Height / ratio)};
    };
    const ExplorationLayout pixels = PixelLayout();
    return {logical(pixels.Hodograph), logical(pixels.Step), logical(pixels.Logarithmic),
            logical(pixels.Map)};
}

QRect ExplorationCanvas::MapBox() const
{
    const qreal ratio = devicePixelRatioF();
    const QRectF box(m_mapPixels);
    return QRectF(box.topLeft() / ratio, box.size() / ratio).toRect();
}

void ExplorationCanvas::FitInto(QSize room)
{
    const qreal ratio = devicePixelRatioF();
    QImage probe = PixelImage({1, 1});
    QPainter painter(&probe);
    PreparePainter(painter);
    PainterSurface surface(painter);
    const QSize pixels = (QSizeF(room) * ratio).toSize();
    const DeviceSize least = LeastExplorationSize(surface, {pixels.width(), pixels.height()});
    setMinimumSize(qCeil(least.Width / ratio), qCeil(least.Height / ratio));
}

void ExplorationCanvas::Redraw()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = Pixels();
    const ExplorationLayout layout = PixelLayout();
    const QRect mapFrame = ToQRect(layout.Map);
    if (m_map.size() != mapFrame.size() || m_map.dotsPerMeterX() != PixelImage({1, 1}).dotsPerMeterX()) {
        m_map = PixelImage(mapFrame.size().expandedTo(QSize(1, 1)));
        QPainter painter(&m_map);
        PreparePainter(painter);
        painter.translate(-mapFrame.topLeft());
        PainterSurface surface(painter, ratio);
        DrawExplorationMap(surface, m_exploration, layout.Map);
        m_mapPixels = m_exploration.Map() ? ToQRect(ExplorationMapBox(surface, layout.Map)) : QRect();
    }
    if (m_picture.size() != pixels)
        m_picture = PixelImage(pixels);
    m_picture.fill(Qt::white);
    {
        QPainter painter(&m_picture);
        PreparePainter(painter);
        {
            PainterSurface surface(painter, ratio);
            DrawExplorationPictures(surface, m_exploration, {pixels.width(), pixels.height()},
                                    false);
        }
        painter.drawImage(mapFrame.topLeft(), m_map);
        PainterSurface surface(painter, ratio);
        DrawExplorationMapPoint(surface, m_exploration, layout.Map);
    }
    update();
}

void ExplorationCanvas::RedrawMap()
{
    m_map = QImage();
    Redraw();
}

void ExplorationCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Pixel for pixel: the image has the size of the widget in the screen's pixels.
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size())), m_picture);
}

void ExplorationCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Redraw();
}

void ExplorationCanvas::mousePressEvent(QMouseEvent* event)
{
    const auto& map = m_exploration.Map();
    if (event->button() != Qt::LeftButton || !map || !m_mapClicked)
        return QWidget::mousePressEvent(event);
    const QPoint at = (event->position() * devicePixelRatioF()).toPoint();
    const QRect& b = m_mapPixels;
    if (const auto point =
            StabilityMapPointAt(*map, {b.left(), b.top(), b.width(), b.height()}, at.x(), at.y()))
        m_mapClicked(point->first, point->second);
}

AnalysisWindow::AnalysisWindow(const TransferFunction& variant, int number,
                                       QWidget* parent)
    : Form(parent), m_exploration(variant, number)
{
    setObjectName(QStringLiteral("NIRDAL_analizForm"));
    setWindowTitle(Text(m_exploration.Caption()));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect free = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setFont(look::Font(free.height() < kSmallScreenHeight ? kSmallTextPixels : kTextPixels));
    SetBackground(this, look::kMenu);

    auto* layout = new QVBoxLayout(this);
    // The pictures shrink with the window down to the least size at which each is drawn
    // whole; below that (a small screen at a large scale) they scroll, while the figures and
    // the sliders stay in view.
    m_pictures = new QScrollArea(this);
    m_pictures->setObjectName(QStringLiteral("PictureArea"));
    m_pictures->setFrameShape(QFrame::NoFrame);
    m_pictures->setWidgetResizable(true);
    m_pictures->setFocusPolicy(Qt::NoFocus); // the keyboard goes to the sliders first
    m_canvas = new ExplorationCanvas(m_pictures, m_exploration);
    m_pictures->setWidget(m_canvas);
    m_pictures->viewport()->installEventFilter(this);
    m_refusal = new QLabel(this);
    m_refusal->setObjectName(QStringLiteral("Refusal"));
    m_refusal->setWordWrap(true);
    m_refusal->setAlignment(Qt::AlignCenter);
    m_refusal->setMinimumSize(420, 260);
    layout->addWidget(m_pictures, 1);
    layout->addWidget(m_refusal, 1);

    // Under the pictures the verdict and the figures, then the sliders.
    auto* lines = new QGridLayout;
    layout->addLayout(lines);
    auto* controls = new QGridLayout;
    layout->addLayout(controls);
    auto* gainLabel = new QLabel(kGainLabel, this);
    m_gainSlider = AddSlider(this, "GainSlider", kGainLabel, kGainSliderEnd, 5,
                             kGainStepsPerDecade / 5);
    m_gainField = AddField(this, "GainField", kGainLabel);
    gainLabel->setBuddy(m_gainSlider);
    auto* delayLabel = new QLabel(kDelayLabel, this);
    m_delaySlider = AddSlider(this, "DelaySlider", kDelayLabel, kDelaySliderEnd, 5,
                              kDelaySliderEnd / 10);
    m_delayField = AddField(this, "DelayField", kDelayLabel);
    delayLabel->setBuddy(m_delaySlider);
    m_saveButton = new QPushButton(QStringLiteral("Сохранить рисунок…"), this);
    m_saveButton->setObjectName(QStringLiteral("SaveButton"));
    m_saveButton->setAccessibleName(QStringLiteral("Сохранить рисунок"));
    m_saveButton->setAutoDefault(false);
    controls->addWidget(gainLabel, 0, 0);
    controls->addWidget(m_gainSlider, 0, 1);
    controls->addWidget(m_gainField, 0, 2);
    controls->addWidget(delayLabel, 1, 0);
    controls->addWidget(m_delaySlider, 1, 1);
    controls->addWidget(m_delayField, 1, 2);
    controls->setColumnStretch(1, 1);

    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("Verdict"));
    QFont bold = font();
    bold.setBold(true);
    m_verdict->setFont(bold);
    // The button beside the verdict leaves the sliders the width of a small screen.
    lines->addWidget(m_verdict, 0, 0, 1, 2);
    lines->addWidget(m_saveButton, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
    for (int i = 0; i < kFigureCount; ++i) {
        auto* figure = new QLabel(this);
        figure->setObjectName(QStringLiteral("Figure%1").arg(i + 1));
        figure->setWordWrap(true); // rather than cut on a small screen
        lines->addWidget(figure, 1 + i / 3, i % 3);
        m_figures.append(figure);
    }
    for (int column = 0; column < 3; ++column)
        lines->setColumnStretch(column, 1);

    setTabOrder(m_gainSlider, m_gainField);
    setTabOrder(m_gainField, m_delaySlider);
    setTabOrder(m_delaySlider, m_delayField);
    setTabOrder(m_delayField, m_saveButton);

    connect(m_gainSlider, &QSlider::valueChanged, this, &AnalysisWindow::GainSliderMoved);
    connect(m_delaySlider, &QSlider::valueChanged, this, &AnalysisWindow::DelaySliderMoved);
    connect(m_gainField, &QLineEdit::editingFinished, this, &AnalysisWindow::GainFieldEdited);
    connect(m_delayField, &QLineEdit::editingFinished, this,
            &AnalysisWindow::DelayFieldEdited);
    connect(m_saveButton, &QPushButton::clicked, this, &AnalysisWindow::SaveButtonClick);

    const bool refused = !m_exploration.Refusal().empty();
    m_pictures->setVisible(!refused);
    m_refusal->setVisible(refused);
    m_refusal->setText(Text(m_exploration.Refusal()));
    for (QWidget* control : {static_cast<QWidget*>(m_gainSlider), static_cast<QWidget*>(m_gainField),
                             static_cast<QWidget*>(m_delaySlider),
                             static_cast<QWidget*>(m_delayField),
                             static_cast<QWidget*>(m_saveButton)})
        control->setEnabled(!refused);

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    {
        const QSignalBlocker gainQuiet(m_gainSlider);
        m_gainSlider->setValue(GainPosition(m_exploration.Gain()));
    }
    m_canvas->SetMapClickHandler(
        [this](Extended gain, Extended extraDelay) { MapClicked(gain, extraDelay); });
    ShowState();
    StartMap();

    // The first size fits the screen's free area whole, and grows on a larger screen.
    const QSize room = free.size() - kFrameAllowance;
    setMinimumSize(QSize(640, 480).boundedTo(room));
    const QSize wanted = kLeastFirstSize.expandedTo(free.size() * kScreenShare).boundedTo(room);
    resize(wanted);
    PlaceOnScreen(this, free.center() - QPoint(wanted.width() / 2, wanted.height() / 2));
}

void AnalysisWindow::SetSavePathChooser(SavePathChooser chooser)
{
    SavePathChooserInUse() = chooser ? std::move(chooser) : SavePathChooser(AskForPicturePath);
}

QString AnalysisWindow::SuggestedPicturePath() const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("nirdal-analiz-%1.png").arg(m_exploration.Number()));
}

void AnalysisWindow::GainSliderMoved(int position)
{
    if (!m_exploration.SetGain(GainAt(position)))
        ShowState();
}

Extended AnalysisWindow::DelayAt(int position) const
{
    const Extended seconds = m_exploration.DelayRangeEnd() * position / kDelaySliderEnd;
    return std::min(seconds, m_exploration.DelayRangeEnd());
}

int AnalysisWindow::DelayPosition(Extended seconds) const
{
    return static_cast<int>(std::lround(seconds / m_exploration.DelayRangeEnd() * kDelaySliderEnd));
}

void AnalysisWindow::DelaySliderMoved(int position)
{
    if (!m_exploration.SetExtraDelay(DelayAt(position)))
        ShowState();
}

void AnalysisWindow::MapClicked(Extended gain, Extended extraDelay)
{
    {
        const QSignalBlocker gainQuiet(m_gainSlider);
        const QSignalBlocker delayQuiet(m_delaySlider);
        m_gainSlider->setValue(GainPosition(gain));
        m_delaySlider->setValue(DelayPosition(extraDelay));
    }
    m_exploration.SetGain(GainAt(m_gainSlider->value()));
    m_exploration.SetExtraDelay(DelayAt(m_delaySlider->value()));
    ShowState();
}

void AnalysisWindow::GainFieldEdited()
{
    const std::string text = m_gainField->text().toStdString();
    const auto typed = ReadNumber(text);
    if (!typed)
        return RefuseNumber(m_gainField, "Поле K: " + std::string(ConversionError(text).what()));
    if (const auto refusal = m_exploration.SetGain(*typed))
        return RefuseTyped(m_gainField, *refusal);
    m_gainField->setToolTip({});
    const QSignalBlocker quiet(m_gainSlider);
    m_gainSlider->setValue(GainPosition(*typed));
    ShowState();
}

void AnalysisWindow::DelayFieldEdited()
{
    const std::string text = m_delayField->text().toStdString();
    const auto typed = ReadNumber(text);
    if (!typed)
        return RefuseNumber(m_delayField,
                            "Поле ΔT: " + std::string(ConversionError(text).what()));
    if (const auto refusal = m_exploration.SetExtraDelay(*typed))
        return RefuseTyped(m_delayField, *refusal);
    m_delayField->setToolTip({});
    const QSignalBlocker quiet(m_delaySlider);
    m_delaySlider->setValue(DelayPosition(*typed));
    ShowState();
}

void AnalysisWindow::RefuseTyped(QLineEdit* field, const std::string& reason)
{
    const Extended value =
        field == m_gainField ? m_exploration.Gain() : m_exploration.ExtraDelay();
    field->setText(FieldText(value));
    RefuseNumber(field, reason);
}

void AnalysisWindow::RefuseNumber(QLineEdit* field, const std::string& reason)
{
    field->setToolTip(Text(reason));
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), Text(reason), field);
}

void AnalysisWindow::StartStep()
{
    if (!m_exploration.Refusal().empty())
        return;
    const TransferFunction loop = m_exploration.Loop();
    const unsigned long state = m_exploration.State();
    m_stepJob.Run([this, loop, state](std::stop_token stop) {
        const StepResponse step = ComputeExploredStep(loop, stop);
        if (stop.stop_requested())
            return;
        // The window waits for this thread before it goes, so it is whole here; a call it
        // has not run by then goes with it.
        QMetaObject::invokeMethod(
            this, [this, step, state] { StepArrived(step, state); }, Qt::QueuedConnection);
    });
}

void AnalysisWindow::StartMap()
{
    if (!m_exploration.Refusal().empty())
        return;
    const TransferFunction variant = m_exploration.Variant();
    m_mapJob.Run([this, variant](std::stop_token stop) {
        StabilityMap map = ComputeStabilityMap(variant, DefaultMapRanges(variant));
        if (stop.stop_requested())
            return;
        // As for the step response: the window waits for this thread before it goes.
        QMetaObject::invokeMethod(
            this,
            [this, map = std::move(map)]() mutable {
                m_exploration.TakeMap(std::move(map));
                m_canvas->RedrawMap();
            },
            Qt::QueuedConnection);
    });
}

void AnalysisWindow::StepArrived(const StepResponse& step, unsigned long state)
{
    if (!m_exploration.TakeStep(step, state))
        return;
    ShowState();
    if (m_saveWhenStepArrives) {
        m_saveWhenStepArrives = false;
        SavePictures();
    }
}

void AnalysisWindow::ShowState()
{
    // A move leaves the step response stale: the previous one stays, greyed, until the
    // computation for the new state ends.
    const bool pending = !m_exploration.StepIsCurrent();
    if (pending && m_exploration.State() != m_stepStarted) {
        m_stepStarted = m_exploration.State();
        StartStep();
    }
    if (!m_gainField->hasFocus() || m_gainField->text().isEmpty())
        m_gainField->setText(FieldText(m_exploration.Gain()));
    if (!m_delayField->hasFocus() || m_delayField->text().isEmpty())
        m_delayField->setText(FieldText(m_exploration.ExtraDelay()));
    const std::vector<std::string> lines = m_exploration.Lines();
    const std::vector<std::string> hints = m_exploration.Hints();
    m_verdict->setText(lines.empty() ? QString() : Text(lines.front()));
    for (int i = 0; i < m_figures.size(); ++i) {
        const auto line = static_cast<std::size_t>(i + 1);
        QLabel* figure = m_figures[i];
        figure->setText(line < lines.size() ? Text(lines[line]) : QString());
        figure->setToolTip(line < hints.size() ? Text(hints[line]) : QString());
        figure->setAccessibleName(figure->text());
        figure->setAccessibleDescription(figure->toolTip());
    }
    // The step figures, the last two, are the previous state's while the new ones come.
    for (QLabel* figure : {m_figures[kFirstStepFigure], m_figures[kFirstStepFigure + 1]}) {
        figure->setEnabled(!pending);
        if (pending && m_exploration.HasStep())
            figure->setAccessibleName(figure->text() + QStringLiteral(" (пересчитывается)"));
    }
    m_verdict->setAccessibleName(m_verdict->text());
    if (m_exploration.Refusal().empty())
        m_canvas->Redraw();
}

void AnalysisWindow::SaveButtonClick()
{
    // The file shows the state in force, step response included: it waits for it.
    if (StepPending()) {
        m_saveWhenStepArrives = true;
        return;
    }
    SavePictures();
}

void AnalysisWindow::SavePictures()
{
    QString path = SavePathChooserInUse()(this, SuggestedPicturePath());
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg") &&
        suffix != QStringLiteral("pdf"))
        path += QStringLiteral(".png");
    RecordingSurface recording(PageTextMeasure(kScreenDotsPerInch), kEndlessSheet);
    const DeviceSize size =
        DrawSavedExploration(recording, m_exploration, {m_canvas->width(), m_canvas->height()});
    QString error;
    if (!WritePicture(LocalFilePath(path), recording.ops(), {size.Width, size.Height}, error))
        ShowErrorBox(this, error);
}

void AnalysisWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Close();
        return;
    }
    Form::keyPressEvent(event);
}

bool AnalysisWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pictures->viewport() && event->type() == QEvent::Resize)
        m_canvas->FitInto(static_cast<QResizeEvent*>(event)->size());
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Close();
        return true;
    }
    return Form::eventFilter(watched, event);
}

} // namespace nirdal
