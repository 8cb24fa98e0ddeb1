// SPDX-License-Identifier: MIT
#pragma once

#include "core/roster/roster.h"

#include <optional>
#include <string>
#include <string_view>

namespace nirdal {

/// Why a roster table was not taken: the line (from 1) and the reason (UTF-8).
struct RosterTableRefusal
{
    int Line = 0;
    std::string Message;
};

/// Reads a table of lines "group,surname" into six groups: groups in the order their codes
/// first appear, names in slot order. As a spreadsheet saves it: UTF-8 or Windows-1251, the
/// fields separated by commas or, when its first line says so, by semicolons (ReadTableText).
/// Fields may be quoted ("…", "" for a quote); blank lines and lines starting with # are
/// ignored. A surname written as FreeSlotMark() leaves its slot free; the slots after a
/// group's last name and the groups not named are free too. groups is changed only when the
/// whole table is taken. A first line that IsHeaderLine takes for a header is skipped, its
/// number put in headerLine (0 when there is none). The same surname twice in one group is
/// refused with both lines.
std::optional<RosterTableRefusal> ReadRosterTable(std::string_view table, RosterGroups& groups,
                                                  int* headerLine = nullptr);

/// The groups as a table that ReadRosterTable reads back into the same records: a line a
/// slot up to each group's last occupied one, groups up to the last that has a code or an
/// occupied slot.
std::string RosterTableText(const RosterGroups& groups);

/// The six records as the roster file holds them.
std::string RosterFileBytes(const RosterGroups& groups);

} // namespace nirdal
