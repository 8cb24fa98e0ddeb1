// SPDX-License-Identifier: MIT
#pragma once

#include "core/analysis/exploration.h"
#include "core/common/latest_job.h"
#include "core/plot/exploration_picture.h"
#include "screens/shell/form.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSlider;

namespace nirdal {

/// The four pictures of the analysis window, drawn again whenever its state or its size
/// changes. The stability map is drawn once for its size and kept: a move of K or ΔT draws
/// only the point on it.
class ExplorationCanvas : public QWidget
{
    Q_OBJECT

public:
    /// Told the (K, ΔT) under a click on the map.
    using MapClickHandler = std::function<void(Extended gain, Extended extraDelay)>;

    ExplorationCanvas(QWidget* parent, const Exploration& exploration);

    /// Draws the pictures anew for the state in force.
    void Redraw();
    /// The map came: its picture is drawn anew, then Redraw.
    void RedrawMap();
    void SetMapClickHandler(MapClickHandler handler) { m_mapClicked = std::move(handler); }
    /// Where its four pictures stand, in the widget's coordinates.
    ExplorationLayout Layout() const;
    /// Takes the least size at which its four pictures are drawn whole in a room of room.
    void FitInto(QSize room);
    /// The plot box of the map in the widget's coordinates; empty before the map is drawn.
    QRect MapBox() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QSize Pixels() const;
    QImage PixelImage(QSize pixels) const;
    ExplorationLayout PixelLayout() const;

    const Exploration& m_exploration;
    // In the screen's pixels.
    QImage m_picture;
    QImage m_map; // the map's frame without the point
    QRect m_mapPixels;
    MapClickHandler m_mapClicked;
};

/// "Анализ варианта N": one variant's closed loop under a gain K and an added delay ΔT set on
/// sliders, its verdict and margins, and its pictures, all following each move of a slider.
/// It works on a copy: the student's variants stay as they are.
///
/// The step response, which may take seconds, is computed on a thread of its own: each move
/// stops the computation for the state before it, and the window keeps answering, showing
/// the previous response greyed until the new one comes.
class AnalysisWindow : public Form
{
    Q_OBJECT

public:
    /// Asks where to save the pictures, starting from suggested; empty when cancelled.
    using SavePathChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

    AnalysisWindow(const TransferFunction& variant, int number, QWidget* parent = nullptr);

    /// How the path is asked for; a file dialog unless a chooser is given (an empty one
    /// restores the dialog).
    static void SetSavePathChooser(SavePathChooser chooser);
    /// nirdal-analiz-N.png in the user's documents folder (the home folder where there is none).
    QString SuggestedPicturePath() const;

    const Exploration& State() const { return m_exploration; }

    /// Sets K from the slider's position.
    void GainSliderMoved(int position);
    /// Sets ΔT from the slider's position.
    void DelaySliderMoved(int position);
    /// Reads the typed K; a bad value turns the field back and says why in a tooltip.
    void GainFieldEdited();
    /// Reads the typed ΔT, likewise.
    void DelayFieldEdited();
    /// "Сохранить рисунок…": the four pictures with a caption under them as one PNG, SVG or
    /// PDF, once the step response of the state in force is there.
    void SaveButtonClick();
    /// A click on the map: both sliders to the slider positions nearest (gain, extraDelay).
    void MapClicked(Extended gain, Extended extraDelay);
    /// Whether the step response of the K and ΔT in force is still being computed.
    bool StepPending() const { return !m_exploration.StepIsCurrent(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    /// Escape closes the window from any of its controls.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The lines, the fields and the pictures for the state in force.
    void ShowState();
    /// Turns a field back to the value in force and says why in a tooltip under it.
    void RefuseTyped(QLineEdit* field, const std::string& reason);
    /// Shows why the field's text is refused, leaving the text there to be corrected.
    void RefuseNumber(QLineEdit* field, const std::string& reason);
    /// Hands the step response of the state in force to the computing thread.
    void StartStep();
    /// A step response back from the computing thread, for state.
    void StepArrived(const StepResponse& step, unsigned long state);
    /// Asks for the path and writes the pictures.
    void SavePictures();
    /// Hands the variant's stability map to a thread of its own, once.
    void StartMap();
    /// ΔT at a position of its slider, and the position nearest to a ΔT.
    Extended DelayAt(int position) const;
    int DelayPosition(Extended seconds) const;

    Exploration m_exploration;
    QScrollArea* m_pictures = nullptr;
    ExplorationCanvas* m_canvas = nullptr;
    QLabel* m_refusal = nullptr;
    QSlider* m_gainSlider = nullptr;
    QLineEdit* m_gainField = nullptr;
    QSlider* m_delaySlider = nullptr;
    QLineEdit* m_delayField = nullptr;
    QLabel* m_verdict = nullptr;
    QList<QLabel*> m_figures;
    QPushButton* m_saveButton = nullptr;
    bool m_saveWhenStepArrives = false;
    unsigned long m_stepStarted = 0; // the state whose step response was last asked for
    // Last: stopped and joined first when the window goes, while everything else is whole.
    // The map's job takes at most about a second and cannot be stopped halfway.
    LatestJob m_stepJob;
    LatestJob m_mapJob;
};

/// Slider positions of the gain: K = 10^(position / kGainStepsPerDecade − 2).
constexpr int kGainStepsPerDecade = 500;
constexpr int kGainSliderEnd = 4 * kGainStepsPerDecade;
/// Slider positions of ΔT from 0 to the end of its range.
constexpr int kDelaySliderEnd = 1000;

/// The slider position nearest to a gain, and the gain at a position.
int GainPosition(Extended gain);
Extended GainAt(int position);

} // namespace nirdal
