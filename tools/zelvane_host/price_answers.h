#pragma once

#include "price_list.h"
#include "zelvane.h"
#include "zelvane_api.h"

namespace zelvane::host {

// The price list that answers every code the library hands over, through the API's
// ScanerSetBarCodeInfo: the article's name and price, or an empty name for a code the
// list does not hold.
void InstallPriceList(const PriceList& list, const ZelvaneApi& api);

// The code callback that prints the reading and answers it from the installed list.
void ZELVANE_CALL AnswerFromPriceList(const char* code);

}  // namespace zelvane::host
