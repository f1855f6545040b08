// Building the mass-haul diagram from a computed distribution.
#include "haul/mass_haul_diagram.h"

#include <algorithm>
#include <cmath>

#include "util/number_text.h"

namespace kestrel {
namespace {

std::string Rounded(double v, int digits) { return FormatDecimal(RoundHalfAway(v, digits), digits); }

// Where the piecewise linear flow, between stations a and b, first reaches level y (sign s).
double Crossing(const std::vector<double>& x, const std::vector<double>& d, size_t k, double y) {
  const double d0 = d[k], d1 = d[k + 1];
  if (d1 == d0) return x[k];
  return x[k] + (y - d0) / (d1 - d0) * (x[k + 1] - x[k]);
}

// The free-haul chord of a loop [first, last] of stations where the flow keeps one sign: the
// level at which the loop is exactly `free` wide, found by halving; none when the whole loop is
// narrower (all of it within the free haul) or the flow never leaves zero.
bool LoopChord(const std::vector<double>& x, const std::vector<double>& flow, size_t first, size_t last, double free,
               double& left, double& right, double& level) {
  const double sign = flow[(first + last) / 2] >= 0 ? 1 : -1;
  std::vector<double> d(flow.size());
  double peak = 0;
  for (size_t k = first; k <= last; ++k) {
    d[k] = sign * flow[k];
    peak = std::max(peak, d[k]);
  }
  if (peak <= 0 || free <= 0) return false;
  auto width = [&](double y, double& l, double& r) {
    size_t a = first;
    while (a < last && d[a + 1] < y) ++a;
    size_t b = last;
    while (b > first && d[b - 1] < y) --b;
    l = d[a] >= y ? x[a] : Crossing(x, d, a, y);
    r = d[b] >= y ? x[b] : Crossing(x, d, b - 1, y);
    return r - l;
  };
  double l, r;
  if (width(0, l, r) <= free) return false;
  double low = 0, high = peak;
  for (int i = 0; i < 60; ++i) {
    const double mid = (low + high) / 2;
    (width(mid, l, r) > free ? low : high) = mid;
  }
  width(low, left, right);
  level = sign * low;
  return true;
}

}  // namespace

std::vector<double> HaulAcross(const HaulTable& table) {
  std::vector<double> across(table.Stations.size(), 0);
  for (size_t k = 0; k < table.Rows.size(); ++k)
    across[k + 1] = across[k] + table.Rows[k].HaulOut - table.Rows[k].HaulIn;
  return across;
}

MassHaulPlot MassHaulDiagramOf(const HaulTable& table) {
  MassHaulPlot plot;
  plot.title = "土石方累积曲线 (调配图)";
  const size_t n = table.Stations.size();
  std::vector<double> x(n), mass(n, 0);
  for (size_t k = 0; k < n; ++k) x[k] = table.Stations[k].Station;
  for (size_t k = 1; k < n; ++k) mass[k] = mass[k - 1] + table.Rows[k - 1].Cut - table.Rows[k - 1].Fill;
  const std::vector<double> flow = HaulAcross(table);
  for (size_t k = 0; k < n; ++k) {
    plot.curve.push_back({x[k], mass[k]});
    plot.balance.push_back({x[k], mass[k] - flow[k]});
  }
  // Loops: runs of stations where the flow keeps one sign, from the station where it leaves 0
  // to the one where it returns.
  const double tiny = 1e-6;
  for (size_t k = 0; k + 1 < n;) {
    if (std::abs(flow[k + 1]) <= tiny) {
      ++k;
      continue;
    }
    const double sign = flow[k + 1] > 0 ? 1 : -1;
    size_t end = k + 1;
    while (end + 1 < n && sign * flow[end] > tiny) ++end;
    double left, right, level;
    if (LoopChord(x, flow, k, end, table.Request.Prices.FreeHaul, left, right, level)) {
      auto on = [&](double s) {
        const size_t j = std::min<size_t>(std::upper_bound(x.begin(), x.end(), s) - x.begin(), n - 1);
        const size_t i = j == 0 ? 0 : j - 1;
        const double t = x[j] == x[i] ? 0 : (s - x[i]) / (x[j] - x[i]);
        return mass[i] - flow[i] + t * ((mass[j] - flow[j]) - (mass[i] - flow[i])) + level;
      };
      plot.chords.push_back({{left, on(left)}, {right, on(right)}});
    }
    k = end;
  }
  // Each haul an arrow from the middle of the giving length to the middle of the taking one,
  // halfway between the balance line and the curve at the middle of the haul.
  auto at = [&](const std::vector<double>& values, double s) {
    const size_t j = std::min<size_t>(std::upper_bound(x.begin(), x.end(), s) - x.begin(), n - 1);
    const size_t i = j == 0 ? 0 : j - 1;
    const double t = x[j] == x[i] ? 0 : std::clamp((s - x[i]) / (x[j] - x[i]), 0.0, 1.0);
    return values[i] + t * (values[j] - values[i]);
  };
  for (const Haul& h : table.Hauls.Hauls) {
    const double from = table.Rows[h.From].Position, to = table.Rows[h.To].Position, middle = (from + to) / 2;
    const double level = at(mass, middle) - at(flow, middle) / 2;
    plot.arrows.push_back({from, to, level, Rounded(h.Volume, 0) + "m³ " + Rounded(h.Distance, 0) + "m"});
  }
  plot.barriers = table.Request.Barriers;
  const HaulPrices& p = table.Request.Prices;
  plot.notes.push_back("免费运距 " + GeneralText(p.FreeHaul) + " m  超运距单价 " + GeneralText(p.Overhaul) +
                       " 元/(m³·km)  借方 " + GeneralText(p.Borrow) + " 元/m³  废方 " + GeneralText(p.Waste) +
                       " 元/m³  经济运距 " +
                       (std::isfinite(EconomicHaulLimit(p)) ? Rounded(EconomicHaulLimit(p), 0) + " m" : "不限"));
  double borrow = 0, waste = 0, hauled = 0;
  for (const HaulRow& r : table.Rows) {
    borrow += r.Borrow;
    waste += r.Waste;
  }
  for (const Haul& h : table.Hauls.Hauls) hauled += h.Volume;
  plot.notes.push_back("纵向调运 " + Rounded(hauled, 0) + " m³  借方 " + Rounded(borrow, 0) + " m³  废方 " +
                       Rounded(waste, 0) + " m³  调配总费用 " + Rounded(table.Hauls.TotalCost(), 2) + " 元");
  return plot;
}

}  // namespace kestrel
