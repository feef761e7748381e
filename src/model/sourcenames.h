#pragma once
// Display names of audio and logic sources (TProject::GetAudioSourceName,
// TProject::GetPoolSourceName, TProject::GetLogicSourceName): one vocabulary for every page,
// window, printout and export. Naming only reads the image, it never writes.

#include <string>

namespace kvr::model {

class TProject;

// id is a TAudioRef; the long form adds the kind of a card channel or bus.
std::string GetAudioSourceName(const TProject& project, int id, int deviceIndex, bool longForm);
// "S " or "M " and the short name; a stereo name loses its last two characters.
std::string GetPoolSourceName(const TProject& project, int id, int deviceIndex);
// ref is a TLogicRef; its condition is shown by the caller.
std::string GetLogicSourceName(const TProject& project, int ref, int deviceIndex);

} // namespace kvr::model
