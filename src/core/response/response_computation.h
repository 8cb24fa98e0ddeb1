// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/common/surface.h"
#include "core/tf/transfer_function.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace nirdal {

/// The controls of the computation screen that the computation shows, hides or labels.
/// FaultPanel with FaultLine1..FaultLine3 and FinishAfterFaultButton ("финиш") is the fault notice.
enum class ScreenControl
{
    StartNotFoundPanel,
    StartNotFoundLine,
    SearchStepsLine,
    StopFrequencyLine,
    StopULine,
    StopVLine,
    ContinueSearchButton,
    LeaveSearchButton,
    LimitPanel,
    LimitLine1,
    LimitLine2,
    LimitLine3,
    FinishAtLimitButton,
    ConvergedPanel,
    ConvergedLine1,
    ConvergedLine2,
    ConvergedLine3,
    FinishConvergedButton,
    FaultPanel,
    FaultLine1,
    FaultLine2,
    FaultLine3,
    FinishAfterFaultButton,
    NextPageButton,
    ExitButton,
};

constexpr int kScreenControlCount = static_cast<int>(ScreenControl::ExitButton) + 1;

/// The control's object name on the screen: "Panel1", "shags", "DD" …
const char* ControlName(ScreenControl control);

/// The caption the control has by design (UTF-8); empty for panels and for the
/// labels the computation fills.
const std::string& DesignCaption(ScreenControl control);

/// What the computation asks of the screen that shows it. Calls happen inside a command.
class ResponseScreen
{
public:
    virtual ~ResponseScreen() = default;
    /// Shows or hides a control.
    virtual void SetVisible(ScreenControl control, bool visible) = 0;
    /// Sets a label's caption (UTF-8).
    virtual void SetCaption(ScreenControl control, std::string_view text) = 0;
    /// Asks the modal screen to close; it closes once the running command has returned.
    virtual void RequestClose() = 0;
};

enum class ComputationState
{
    Created,       ///< before activation
    Searching,     ///< inside a command: the start search runs
    StartNotFound, ///< StartNotFoundPanel: continue the search or leave
    Sweeping,      ///< inside a command: a listing page is computed
    PageFull,      ///< NextPageButton offers the next page
    LimitExceeded, ///< LimitPanel: a point beyond abs(U) or abs(V) = 10
    Converged,     ///< ConvergedPanel: neighbouring points closer than 0.001 relative
    Full,          ///< slot 200 is filled
    Fault,         ///< FaultPanel: the computation cannot go on
    Closed,        ///< finished or left; no command does anything any more
};

/// Why the computation stopped in the Fault state.
enum class ComputationFault
{
    None,
    InvalidDegrees,         ///< n outside 1..15 or m not below n
    ZeroLeadingCoefficient, ///< An or Bm is zero: no start estimate
    EstimateOutOfRange,     ///< the start estimate overflowed or vanished
    ValueUndefined,         ///< D(jω) = 0 or W(jω) overflowed at a frequency
    PointsCoincide,         ///< two consecutive points are the same: no step
    PointAtOrigin,          ///< a point is W = 0: no relative distance
    StepUndefined,          ///< the next frequency is not a finite number
};

/// The screen's own fields, all zero when the screen is created.
struct ComputationFields
{
    Extended StepRatio = 0;        ///< 2.0 searching upward, 0.8 once turned downward
    Extended InverseDegreeGap = 0; ///< 1/(n − m)
    Extended AsymptoteGain = 0;    ///< abs(Bm/An·20)
    std::uint16_t BaseSlot = 0;    ///< slot holding the base frequency of a search iteration
    std::uint16_t TrialSlot = 0;   ///< slot receiving the trial frequency
    std::uint16_t SearchSteps = 0; ///< iterations of the current search run
    std::uint16_t SearchTotal = 0; ///< iterations of all finished search runs
    Extended TrialModulus = 0;     ///< abs(W) at the trial frequency
    std::uint16_t ListLine = 0;    ///< line within the current listing page
    std::uint16_t NextSlot = 0;    ///< slot the sweep computes next; 0 before the sweep
    Extended RelativeDistance = 0; ///< of the two latest points, from NextSweepFrequency
};

/// The computation screen without its widgets: the start search, the sweep page by page,
/// the stop rules and the finish, driven by the screen's handlers. It writes the
/// variant's response points and draws the values listing on a surface.
class ResponseComputation
{
public:
    /// listing may be null: then nothing is drawn.
    ResponseComputation(TransferFunction& variant, ResponseScreen& screen, Surface* listing);

    /// Activation: estimates the start frequency and runs the start search (and, when it
    /// succeeds, the first page). Only the first activation counts.
    void Start();
    /// "продолжение расчетов" on StartNotFoundPanel: another run of the start search.
    void ContinueSearch();
    /// "выход" on StartNotFoundPanel: closes the screen; the store keeps what it holds.
    void LeaveSearch();
    /// "финиш" on LimitPanel.
    void FinishAtLimit();
    /// "финиш" on ConvergedPanel.
    void FinishConverged();
    /// "Выход": finishes once the sweep has begun, otherwise only closes.
    void Exit();
    /// "финиш" on FaultPanel, the fault notice.
    void FinishAfterFault();
    /// "Далее": the next listing page.
    void NextPage();

    ComputationState State() const { return m_state; }
    ComputationFault Fault() const { return m_fault; }
    /// True once the screen was asked to close; later commands do nothing.
    bool CloseRequested() const { return m_closeRequested; }
    const ComputationFields& Fields() const { return m_fields; }
    /// Start search iterations of all runs, the run in progress or succeeded included.
    int SearchStepsTaken() const;
    /// Listing pages begun so far.
    int PagesWritten() const { return m_pages; }
    /// The fault notice's three lines (UTF-8), empty unless in the Fault state.
    const std::array<std::string, 3>& FaultNotice() const { return m_faultNotice; }

private:
    void FindStartFrequency();
    void StartSweep();
    void SweepPage();
    void StopOnNotice(ScreenControl panel, ComputationState state);
    void EnterFault(ComputationFault fault, Extended frequency = 0);
    void Finish();
    void RequestClose();
    void Close();
    bool Evaluate(std::uint16_t slot, Extended frequency);

    TransferFunction& m_variant;
    ResponseScreen& m_screen;
    Surface* m_listing;
    ComputationFields m_fields;
    ComputationState m_state = ComputationState::Created;
    ComputationFault m_fault = ComputationFault::None;
    std::array<std::string, 3> m_faultNotice;
    bool m_closeRequested = false;
    bool m_searchRunCounted = false;
    int m_pages = 0;
};

/// The lines of the fault notice (UTF-8); frequency is shown where the fault names one.
std::array<std::string, 3> FaultNoticeLines(ComputationFault fault, Extended frequency);

} // namespace nirdal
