#include "price_answers.h"

#include <cstdio>

#include "cp1250_text.h"
#include "job_report.h"

namespace zelvane::host {
namespace {

const PriceList* g_installed = nullptr;
decltype(&::ScanerSetBarCodeInfo) g_setBarCodeInfo = nullptr;

}  // namespace

void InstallPriceList(const PriceList& list, const ZelvaneApi& api) {
  g_installed = &list;
  g_setBarCodeInfo = api.setBarCodeInfo;
}

void ZELVANE_CALL AnswerFromPriceList(const char* code) {
  PrintReading(code);
  if (g_installed == nullptr || g_setBarCodeInfo == nullptr || code == nullptr) return;
  HostLineRecord record{};
  std::snprintf(record.code, sizeof record.code, "%s", code);
  if (const PriceList::Article* article = g_installed->Find(code)) {
    std::snprintf(record.name, sizeof record.name, "%s", article->name.c_str());
    record.price = article->price;
    char price[32];
    std::snprintf(price, sizeof price, "%.2f", article->price);
    PrintLine("answer: " + Cp1250ToUtf8(article->name.c_str()) + ", " + price);
  } else {
    PrintLine("answer: unknown code");
  }
  g_setBarCodeInfo(&record);
}

}  // namespace zelvane::host
