// A crash in Kumiro's own code inside the office ends the office as any crash does; it
// leaves a mark in the office's temporary folder, so that Kumiro says the fault was its own.
#pragma once

namespace kumiro::lo {

// The mark's name in the office's temporary folder.
inline constexpr char kFaultMark[] = "kumiro-fault";

// Watches for crashes in this module from now on, before the office's own handlers; once.
void watchForFaults();

} // namespace kumiro::lo
