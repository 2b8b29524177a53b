// The one table class of the stand-in's MAPI objects: contents, recipients, hierarchy, address-book contents, status.
#pragma once

#include <vector>

#include "mapi/PropBuilder.h"

namespace tw::standin::mapi {

/// A row answers its value under any tag; the table hands out the columns set on it.
using TableRow = PropSource;

/// A snapshot table of these rows with these default columns, handed out with its first reference.
HRESULT openTable(std::vector<ULONG> columns, std::vector<TableRow> rows, LPMAPITABLE* out);

}  // namespace tw::standin::mapi
