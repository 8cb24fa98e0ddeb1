// SPDX-License-Identifier: MIT
#include "core/response/response_computation.h"

#include "core/numtext/numtext.h"
#include "core/response/frequency_response.h"
#include "core/response/listing.h"

#include <cmath>

namespace nirdal {

namespace {

struct ControlDesign
{
    const char* name;
    const char* caption; // UTF-8
};

// Indexed by ScreenControl.
constexpr ControlDesign kControls[kScreenControlCount] = {
    {"Panel1", ""},
    {"Label2", "Начальная частота   не достигнута  за"},
    {"shags", ""},
    {"lfr", ""},
    {"lu", ""},
    {"lv", ""},
    {"Button1", "продолжение расчетов"},
    {"Button2", "выход"},
    {"Panel3", ""},
    {"Label1", "Частотная   характеристика превысила"},
    {"Label6", "предельный модуль."},
    {"Label7", "Должно быть abs(U)  и abs(V)<10. "},
    {"Button5", "финиш"},
    {"Panel4", ""},
    {"Label8", " Относительное расстояние между "},
    {"Label9", "соседними точками  частотной характеристики  "},
    {"Label10", "меньше предельного 0.001"},
    {"Button6", "финиш"},
    {"Panel5", ""},
    {"Label11", ""},
    {"Label12", ""},
    {"Label13", ""},
    {"Button8", "финиш"},
    {"DD", "Далее"},
    {"Button7", "Выход"},
};

constexpr Extended kModulusLimit = 10;
constexpr Extended kConvergenceLimit = 0.001L;
constexpr std::uint16_t kSearchRunLength = 50;
constexpr std::uint16_t kLastLineOfPage = 46;
constexpr std::uint16_t kCloseAfterSlot = 198;

ComputationFault FaultOfStep(SweepStepFault fault)
{
    switch (fault) {
    case SweepStepFault::PointsCoincide:
        return ComputationFault::PointsCoincide;
    case SweepStepFault::PointAtOrigin:
        return ComputationFault::PointAtOrigin;
    default:
        return ComputationFault::StepUndefined;
    }
}

} // namespace

const char* ControlName(ScreenControl control)
{
    return kControls[static_cast<int>(control)].name;
}

const std::string& DesignCaption(ScreenControl control)
{
    static const auto captions = [] {
        std::array<std::string, kScreenControlCount> texts;
        for (int i = 0; i < kScreenControlCount; ++i)
            texts[i] = kControls[i].caption;
        return texts;
    }();
    return captions[static_cast<int>(control)];
}

std::array<std::string, 3> FaultNoticeLines(ComputationFault fault, Extended frequency)
{
    const std::string at = FormatNumber(frequency);
    switch (fault) {
    case ComputationFault::None:
        return {};
    case ComputationFault::InvalidDegrees:
        return {"Степени полиномов недопустимы.", "Должно быть 1<=n<=15 и m<n.", ""};
    case ComputationFault::ZeroLeadingCoefficient:
        return {"Старший коэффициент An или Bm", "равен нулю.", "Начальная частота не определена."};
    case ComputationFault::EstimateOutOfRange:
        return {"Начальная частота вышла за", "пределы вещественных чисел.",
                "Проверьте коэффициенты An и Bm."};
    case ComputationFault::ValueUndefined:
        return {"Частотная характеристика не определена", "на частоте " + at,
                "(деление на нуль или переполнение)."};
    case ComputationFault::PointsCoincide:
        return {"Соседние точки частотной характеристики", "совпали на частоте " + at,
                "Шаг по частоте не определен."};
    case ComputationFault::PointAtOrigin:
        return {"Частотная характеристика прошла через", "начало координат на частоте " + at,
                "Шаг по частоте не определен."};
    case ComputationFault::StepUndefined:
        return {"Шаг по частоте не определен", "на частоте " + at, "(переполнение)."};
    }
    return {};
}

ResponseComputation::ResponseComputation(TransferFunction& variant, ResponseScreen& screen,
                                         Surface* listing)
    : m_variant(variant), m_screen(screen), m_listing(listing)
{
}

int ResponseComputation::SearchStepsTaken() const
{
    return m_fields.SearchTotal + (m_searchRunCounted ? 0 : m_fields.SearchSteps);
}

void ResponseComputation::Start()
{
    if (m_state != ComputationState::Created || m_closeRequested)
        return;
    m_state = ComputationState::Searching;
    ComputationFields& f = m_fields;
    f.StepRatio = 2.0L;
    f.BaseSlot = 2;
    f.TrialSlot = 1;
    f.SearchTotal = 0;

    // The estimate divides by n − m and by An and takes the logarithm of Bm: check first.
    const int n = m_variant.DenominatorDegree, m = m_variant.NumeratorDegree;
    ComputationFault fault = ComputationFault::None;
    if (n < 1 || n > kMaxDenominatorDegree || m >= n) {
        fault = ComputationFault::InvalidDegrees;
    } else if (m_variant.A[n] == 0 || m_variant.B[m] == 0) {
        fault = ComputationFault::ZeroLeadingCoefficient;
    } else {
        f.InverseDegreeGap = 1 / static_cast<Extended>(n - m);
        f.AsymptoteGain = std::fabs(m_variant.B[m] / m_variant.A[n] * 20);
        const Extended estimate = std::exp(std::log(f.AsymptoteGain) * f.InverseDegreeGap);
        if (std::isfinite(estimate) && estimate > 0)
            m_variant.ResponseArrays[2].Frequency = estimate;
        else
            fault = ComputationFault::EstimateOutOfRange;
    }

    for (ScreenControl panel : {ScreenControl::StartNotFoundPanel, ScreenControl::LimitPanel,
                                ScreenControl::ConvergedPanel, ScreenControl::FaultPanel})
        m_screen.SetVisible(panel, false);
    m_screen.SetVisible(ScreenControl::NextPageButton, true);

    if (fault != ComputationFault::None)
        EnterFault(fault);
    else
        FindStartFrequency();
}

void ResponseComputation::ContinueSearch()
{
    if (m_state == ComputationState::StartNotFound && !m_closeRequested)
        FindStartFrequency();
}

void ResponseComputation::LeaveSearch()
{
    if (m_state == ComputationState::StartNotFound && !m_closeRequested)
        Close();
}

void ResponseComputation::FinishAtLimit()
{
    if (m_state == ComputationState::LimitExceeded && !m_closeRequested)
        Finish();
}

void ResponseComputation::FinishConverged()
{
    if (m_state == ComputationState::Converged && !m_closeRequested)
        Finish();
}

void ResponseComputation::Exit()
{
    if (m_closeRequested)
        return;
    // Before the sweep there is no computed point to finish from: only close.
    if (m_fields.NextSlot >= 3)
        Finish();
    else
        Close();
}

void ResponseComputation::FinishAfterFault()
{
    if (m_state == ComputationState::Fault && !m_closeRequested)
        Exit();
}

void ResponseComputation::NextPage()
{
    if (m_state == ComputationState::PageFull && !m_closeRequested)
        SweepPage();
}

bool ResponseComputation::Evaluate(std::uint16_t slot, Extended frequency)
{
    // Computed aside so that the store never receives a value that is not finite.
    ResponsePoint point{frequency, 0, 0};
    if (!std::isfinite(frequency) || !EvaluateResponse(point, m_variant)) {
        EnterFault(ComputationFault::ValueUndefined, frequency);
        return false;
    }
    m_variant.ResponseArrays[slot] = point;
    return true;
}

void ResponseComputation::FindStartFrequency()
{
    m_state = ComputationState::Searching;
    ComputationFields& f = m_fields;
    ResponseArrays& store = m_variant.ResponseArrays;
    f.SearchSteps = 0;
    m_searchRunCounted = false;
    for (;;) {
        if (!Evaluate(f.BaseSlot, store[f.BaseSlot].Frequency))
            return;
        if (f.StepRatio <= 1.5L) {
            f.BaseSlot = 1;
            f.TrialSlot = 2;
        }
        ++f.SearchSteps;
        if (f.SearchSteps > kSearchRunLength) {
            f.SearchTotal = static_cast<std::uint16_t>(f.SearchTotal + f.SearchSteps);
            m_searchRunCounted = true;
            const ResponsePoint& base = store[f.BaseSlot];
            m_screen.SetCaption(ScreenControl::StopFrequencyLine,
                                "Вычисления остановлены на частоте " +
                                    FormatNumber(base.Frequency));
            m_screen.SetCaption(ScreenControl::StopULine,
                                "при этом вещественная частотная характеристика ,u=" +
                                    FormatNumber(base.U));
            m_screen.SetCaption(ScreenControl::StopVLine,
                                "               мнимая частотная характеристика ,v=" +
                                    FormatNumber(base.V));
            m_screen.SetCaption(ScreenControl::SearchStepsLine,
                                IntegerText(f.SearchTotal) + " шагов");
            m_screen.SetVisible(ScreenControl::StartNotFoundPanel, true);
            // "Далее" has no page to go on with while the start is missing.
            m_screen.SetVisible(ScreenControl::NextPageButton, false);
            m_state = ComputationState::StartNotFound;
            return;
        }
        if (!Evaluate(f.TrialSlot, f.StepRatio * store[f.BaseSlot].Frequency))
            return;
        const ResponsePoint& trial = store[f.TrialSlot];
        f.TrialModulus = std::sqrt(trial.U * trial.U + trial.V * trial.V);
        if (f.StepRatio >= 1.5L && f.TrialModulus > 0.1L) {
            store[f.BaseSlot] = trial;
        } else if (f.TrialModulus >= 0.01L) {
            StartSweep();
            return;
        } else {
            f.StepRatio = 0.8L;
            store[f.BaseSlot] = trial;
        }
    }
}

void ResponseComputation::StartSweep()
{
    m_fields.ListLine = 1;
    m_fields.NextSlot = 3;
    // A search continued from StartNotFoundPanel leaves the panel up; its buttons mean nothing now.
    m_screen.SetVisible(ScreenControl::StartNotFoundPanel, false);
    SweepPage();
}

void ResponseComputation::SweepPage()
{
    m_state = ComputationState::Sweeping;
    ++m_pages;
    ComputationFields& f = m_fields;
    ResponseArrays& store = m_variant.ResponseArrays;
    f.ListLine = 1;
    if (m_listing)
        WriteListingHeader(*m_listing);
    for (;;) {
        const SweepStep step = NextSweepFrequency(store[f.NextSlot - 2], store[f.NextSlot - 1]);
        f.RelativeDistance = step.RelativeDistance;
        if (step.Fault != SweepStepFault::None) {
            EnterFault(FaultOfStep(step.Fault), store[f.NextSlot - 1].Frequency);
            return;
        }
        if (!Evaluate(f.NextSlot, step.Frequency))
            return;
        ++f.ListLine;
        if (m_listing)
            WriteListingLine(*m_listing, store[f.NextSlot], f.ListLine);
        ++f.NextSlot;

        const ResponsePoint& point = store[f.NextSlot - 1];
        if (std::fabs(point.U) > kModulusLimit || std::fabs(point.V) > kModulusLimit) {
            StopOnNotice(ScreenControl::LimitPanel, ComputationState::LimitExceeded);
            return;
        }
        if (f.RelativeDistance < kConvergenceLimit) {
            StopOnNotice(ScreenControl::ConvergedPanel, ComputationState::Converged);
            return;
        }
        if (f.NextSlot > kCloseAfterSlot)
            RequestClose();
        if (f.NextSlot > kLastSlot) {
            m_state = ComputationState::Full;
            return;
        }
        // 45 points to a page, on lines 2..46.
        if (f.ListLine < kLastLineOfPage)
            continue;
        m_screen.SetVisible(ScreenControl::NextPageButton, true);
        m_state = ComputationState::PageFull;
        return;
    }
}

void ResponseComputation::StopOnNotice(ScreenControl panel, ComputationState state)
{
    m_screen.SetVisible(panel, true);
    m_screen.SetVisible(ScreenControl::NextPageButton, false);
    m_state = state;
    // Once the close is asked for, "финиш" can no longer be pressed: finish here, or the
    // slots after the last point would keep stale contents.
    if (m_closeRequested)
        FillRemainingSlots(m_variant.ResponseArrays, m_fields.NextSlot);
}

void ResponseComputation::EnterFault(ComputationFault fault, Extended frequency)
{
    m_fault = fault;
    m_faultNotice = FaultNoticeLines(fault, frequency);
    m_screen.SetCaption(ScreenControl::FaultLine1, m_faultNotice[0]);
    m_screen.SetCaption(ScreenControl::FaultLine2, m_faultNotice[1]);
    m_screen.SetCaption(ScreenControl::FaultLine3, m_faultNotice[2]);
    m_screen.SetVisible(ScreenControl::StartNotFoundPanel, false);
    StopOnNotice(ScreenControl::FaultPanel, ComputationState::Fault);
}

void ResponseComputation::Finish()
{
    FillRemainingSlots(m_variant.ResponseArrays, m_fields.NextSlot);
    Close();
}

void ResponseComputation::RequestClose()
{
    if (m_closeRequested)
        return;
    m_closeRequested = true;
    m_screen.RequestClose();
}

void ResponseComputation::Close()
{
    RequestClose();
    m_state = ComputationState::Closed;
}

} // namespace nirdal
