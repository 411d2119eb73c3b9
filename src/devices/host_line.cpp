#include "devices/host_line.h"

#include <algorithm>
#include <cstring>

namespace zelvane::host_line {
namespace {

unsigned char* Bytes(void* line) {
  return static_cast<unsigned char*>(line);
}

const unsigned char* Bytes(const void* line) {
  return static_cast<const unsigned char*>(line);
}

std::string Text(const void* line, std::size_t offset, std::size_t size) {
  const auto* field = reinterpret_cast<const char*>(Bytes(line) + offset);
  return std::string(field, std::find(field, field + size, '\0'));
}

void SetText(void* line, std::size_t offset, std::size_t size, std::string_view text) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::memcpy(Bytes(line) + offset, text.data(), length);
  Bytes(line)[offset + length] = '\0';
}

// Doubles sit at offsets that are not always 8-aligned (the price is at 180).
double Number(const void* line, std::size_t offset) {
  double value = 0;
  std::memcpy(&value, Bytes(line) + offset, sizeof value);
  return value;
}

void SetNumber(void* line, std::size_t offset, double value) {
  std::memcpy(Bytes(line) + offset, &value, sizeof value);
}

}  // namespace

void* At(void* lines, int index) {
  return Bytes(lines) + static_cast<std::size_t>(index) * kSize;
}

std::string Code(const void* line) {
  return Text(line, kCodeOffset, kCodeSize);
}

std::string Name(const void* line) {
  return Text(line, kNameOffset, kNameSize);
}

double Quantity(const void* line) {
  return Number(line, kQuantityOffset);
}

double Price(const void* line) {
  return Number(line, kPriceOffset);
}

void SetCode(void* line, std::string_view code) {
  SetText(line, kCodeOffset, kCodeSize, code);
}

void SetName(void* line, std::string_view name) {
  SetText(line, kNameOffset, kNameSize, name);
}

void SetQuantity(void* line, double quantity) {
  SetNumber(line, kQuantityOffset, quantity);
}

void SetPrice(void* line, double price) {
  SetNumber(line, kPriceOffset, price);
}

}  // namespace zelvane::host_line
