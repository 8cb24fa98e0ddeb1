// SPDX-License-Identifier: MIT
#pragma once

#include "core/assign/handout_sheets.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace nirdal {

/// The handout as PDF bytes: the slips DrawHandout lays out on A4 sheets at
/// kPageDotsPerInch. Empty, with the reason in error, when a slip's formula cannot be read.
QByteArray HandoutPdf(const std::string& task, const std::vector<HandoutSlip>& slips,
                      std::string& error);

} // namespace nirdal
