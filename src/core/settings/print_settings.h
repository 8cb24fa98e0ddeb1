// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "platform/file_registry.h"

#include <cstdint>
#include <memory>

namespace nirdal {

/// Printer dots per plot unit: 1.0 for matrix printers, 3.0 for laser ones. Kept as
/// "pecats" under \SOFTWARE\tarn5\INF; 0 until loaded.
extern Extended PrintGain;

/// The chosen way of printing the assignment: 0 none, 1 by text, 2 through the word
/// processor. Kept as "zadan" beside the gain; 0 until loaded.
extern std::int32_t PrintMethod;

/// Stores 1.0 when no gain is stored yet, then reads the stored gain into PrintGain.
void LoadPrintGain();
/// Stores PrintGain.
void SavePrintGain();
/// PrintGain.
Extended GetPrintGain();
/// Sets PrintGain and stores it at once.
void SetPrintGain(Extended gain);

/// Stores 2 when no method is stored yet, then reads the stored method into PrintMethod.
void LoadPrintMethod();
/// Stores PrintMethod.
void SavePrintMethod();
/// The low 16 bits of PrintMethod.
std::uint16_t GetPrintMethod();
/// Sets PrintMethod and stores it at once.
void SetPrintMethod(std::uint16_t method);

/// Start-up: makes the gain's accessor on registry and loads the gain, then does the same
/// for the method.
void InitialiseSettings(std::shared_ptr<Registry> registry = MachineRegistry());

/// Termination: stores the method, then the gain, changed or not.
void FinaliseSettings();

/// Back to the state before start-up: no accessors, both settings 0. For tests.
void ResetSettings();

} // namespace nirdal
