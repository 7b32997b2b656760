#pragma once

namespace kumiro {

// The help file's topics that are not a kind's (those are in the kind table), by context
// number: a topic's anchor is "ctx" and its number.
namespace HelpTopic {
inline constexpr int Order = 6; // the order lists and their buttons
inline constexpr int Copy = 22;
inline constexpr int Rename = 23;
inline constexpr int Backup = 24;
inline constexpr int GeneralSettings = 28; // the general tab of the settings dialog
} // namespace HelpTopic

} // namespace kumiro
