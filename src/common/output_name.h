// SPDX-License-Identifier: MIT
#pragma once

// Names of output files. Every output (PSN, WAVE, plot) is named after texts
// of the trace: the station and component, or the trace file's name, which
// for a miniSEED segment is built from the record's network and station
// codes. Those are bytes from the file and can hold anything, so each name
// passes this one check before it is joined to its folder.

#include <string>
#include <string_view>

namespace tremorline {

// `name`, formed from a trace's texts, as the file name to create in the
// output folder. A name that would begin with a dot (a blank network code
// gives ".COLA.00.LHZ...") loses its leading dots, so the file is not
// hidden. Throws UserError, showing the name with its control bytes made
// visible, when the name would hold "/" (it would lead out of the folder,
// or to another one), a control byte (below 0x20, or 0x7F), or nothing at
// all once its leading dots are gone ("", "." and "..").
std::string SafeOutputName(std::string_view name);

}  // namespace tremorline
