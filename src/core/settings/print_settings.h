// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "platform/file_registry.h"

#include <cstdint>
#include <memory>

namespace nirdal {

/// The print settings, kept under \SOFTWARE\tarn5\INF of the registry from start-up on.
struct PrintChoice
{
    /// Printer dots per plot unit: 1.0 for matrix printers, 3.0 for laser ones. Kept as
    /// "pecats"; 0 until loaded.
    Extended Gain = 0;
    /// The chosen way of printing the assignment: 0 none, 1 by text, 2 through the word
    /// processor. Kept as "zadan" beside the gain; 0 until loaded.
    std::int32_t Method = 0;
    /// Where both are kept; none before start-up, and the operations leave the registry alone.
    std::shared_ptr<Registry> Store;
};

/// Stores 1.0 when no gain is stored yet, then reads the stored gain into the choice.
void LoadPrintGain(PrintChoice& choice);
/// Stores the choice's gain.
void SavePrintGain(const PrintChoice& choice);
/// The choice's gain.
Extended GetPrintGain(const PrintChoice& choice);
/// Sets the gain and stores it at once.
void SetPrintGain(PrintChoice& choice, Extended gain);

/// Stores 2 when no method is stored yet, then reads the stored method into the choice.
void LoadPrintMethod(PrintChoice& choice);
/// Stores the choice's method.
void SavePrintMethod(const PrintChoice& choice);
/// The low 16 bits of the choice's method.
std::uint16_t GetPrintMethod(const PrintChoice& choice);
/// Sets the method and stores it at once.
void SetPrintMethod(PrintChoice& choice, std::uint16_t method);

/// Start-up: keeps the choice in registry and loads the gain, then the method.
void InitialiseSettings(PrintChoice& choice,
                        std::shared_ptr<Registry> registry = MachineRegistry());

/// Termination: stores the method, then the gain, changed or not.
void FinaliseSettings(const PrintChoice& choice);

} // namespace nirdal
