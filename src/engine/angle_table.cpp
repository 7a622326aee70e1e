#include "engine/angle_table.h"

#include <array>
#include <cmath>

namespace klv {

namespace {

std::array<double, 256> MakeCosTable() {
  std::array<double, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = std::cos(2.0 * M_PI * i / 256.0);
  return t;
}

const std::array<double, 256>& CosTable() {
  static const std::array<double, 256> table = MakeCosTable();
  return table;
}

}  // namespace

double Cos256(int a) {
  return CosTable()[static_cast<unsigned>(a) & 255u];
}

double Sin256(int a) {
  return CosTable()[(static_cast<unsigned>(a) + 192u) & 255u];
}

}  // namespace klv
