#pragma once
// The players of the two metafile kinds: each decodes its records into canvas calls. Used by
// metafile.cpp only.

#include "report/paint/emf_records.h"
#include "report/paint/metafile_canvas.h"
#include "report/paint/wmf_records.h"

namespace vorlan::report {

void playWmf(const WmfFile& file, MetaCanvas& canvas);
void playEmf(const EmfFile& file, MetaCanvas& canvas);

} // namespace vorlan::report
