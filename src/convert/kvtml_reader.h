// Reads KDE's vocabulary files (KVTML 2.0 and the older KVTML 1) into records.
// The XML is read by libxml2 with no network, no DTD and no entity of the
// file's own: a file that declares or uses one is refused whole.
#pragma once

#include <string_view>
#include <vector>

#include "convert/convert_options.h"
#include "convert/quiz_record.h"

// True when the text looks like a KVTML file (an XML declaration or a <kvtml>
// element at its start).
bool LooksLikeKvtml(std::string_view bytes);

// False, with report.error set, when the whole file cannot be read.
bool ReadKvtml(std::string_view bytes, const CConvertOptions& options,
               std::vector<CQuizRecord>& records, CConvertReport& report);
