// The least-cost distribution: a minimum-cost flow whose paths price hauls exactly.
#include "haul/haul_distribution.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <queue>
#include <set>
#include <tuple>

namespace kestrel {
namespace {

constexpr double kUnlimited = 1e300;
constexpr double kNegligible = 1e-9;  // m³: less than this is no flow

// A flow network with residual edges, solved by successive shortest paths from one node with
// excess at a time (Dijkstra on reduced costs, stopped at the first node short of material,
// potentials moved only for the nodes it settled). A node with a
// great many edges of one cost (the depot to every taker and back to every giver) keeps them
// as a fan: ordered by reduced cost, so that a search takes them one by one, as far as it needs,
// instead of all each time.
class FlowNetwork {
 public:
  int AddNode() {
    out_.emplace_back();
    fans_.emplace_back();
    fanEdgesInto_.emplace_back();
    return static_cast<int>(out_.size()) - 1;
  }
  // Returns the edge's index, for reading its flow afterwards.
  int AddEdge(int from, int to, double capacity, double cost) {
    const int e = static_cast<int>(edges_.size());
    edges_.push_back({to, capacity, cost, -1});
    edges_.push_back({from, 0, -cost, -1});
    out_[from].push_back(e);
    out_[to].push_back(e + 1);
    return e;
  }
  // A fan of edges from `from`, all of one cost; edges join it by AddFanEdge.
  int AddFan(int from, double cost) {
    fanSets_.push_back({from, cost, {}});
    fans_[from].push_back(static_cast<int>(fanSets_.size()) - 1);
    return static_cast<int>(fanSets_.size()) - 1;
  }
  // Puts the edge (from the fan's node, of the fan's cost) into the fan instead of the node's list.
  void JoinFan(int edge, int fan) {
    edges_[edge].fan = fan;
    fanEdgesInto_[edges_[edge].to].push_back(edge);
  }
  int NodeCount() const { return static_cast<int>(out_.size()); }
  double Flow(int edge) const { return edges_[edge ^ 1].residual; }

  // Moves every node's excess (positive balance) to the nodes short of material (negative) at
  // least cost: each excess node in turn sends along the shortest path to the nearest node still
  // short. Every excess must have such a path (the caller's depot gives one of unlimited room).
  // `last` sends its excess after every other node.
  void Balance(std::vector<double> balance, int last) {
    const size_t n = out_.size();
    potential_.assign(n, 0);
    distance_.assign(n, kUnlimited);
    via_.assign(n, -1);
    back_.assign(n, -1);
    settled_.assign(n, 0);
    seen_.assign(n, 0);
    keyOf_.assign(edges_.size(), 0);
    for (std::vector<int>& list : out_) std::erase_if(list, [&](int e) { return edges_[e].fan >= 0; });
    for (size_t e = 0; e < edges_.size(); ++e) SyncFan(static_cast<int>(e));
    int round = 0;
    for (int from = 0; from < static_cast<int>(n); ++from) {
      while (from != last && balance[from] > kNegligible) {
        ++round;
        const int to = ShortestPath(from, balance, round);
        if (to < 0) break;  // only rounding is left
        Augment(from, to, balance);
      }
    }
    // What `last` still has goes to the nodes short of material one by one, each searching back
    // toward `last`: those searches stay near their node, where one from `last` would range over
    // every node its fans reach.
    for (int to = 0; to < static_cast<int>(n); ++to) {
      while (balance[to] < -kNegligible && balance[last] > kNegligible) {
        ++round;
        if (!ShortestPathBack(last, to, round)) break;
        Augment(last, to, balance);
      }
    }
  }

 private:
  // Sends as much as the path from `from` to `to` (via_) and the two balances allow.
  void Augment(int from, int to, std::vector<double>& balance) {
    double amount = std::min(balance[from], -balance[to]);
    for (int v = to; v != from; v = edges_[via_[v] ^ 1].to) amount = std::min(amount, edges_[via_[v]].residual);
    for (int v = to; v != from; v = edges_[via_[v] ^ 1].to) {
      Edge& e = edges_[via_[v]];
      if (e.residual < kUnlimited) e.residual -= amount;
      edges_[via_[v] ^ 1].residual += amount;
      SyncFan(via_[v]);
      SyncFan(via_[v] ^ 1);
    }
    balance[from] -= amount;
    balance[to] += amount;
  }

  struct Edge {
    int to;
    double residual;
    double cost;
    int fan;  // -1: in its node's list
  };
  using Key = std::pair<double, int>;  // minus the target's potential, the edge
  struct Fan {
    int from;
    double cost;
    std::set<Key> edges;  // those with room, cheapest first
  };
  struct Cursor {
    double base;
    const Fan* fan;
    std::set<Key>::const_iterator at;
  };

  // Keeps a fan edge in its fan exactly while it has room, keyed by its target's potential.
  void SyncFan(int e) {
    Edge& edge = edges_[e];
    if (edge.fan < 0) return;
    Fan& fan = fanSets_[edge.fan];
    fan.edges.erase({keyOf_[e], e});
    if (edge.residual > kNegligible) {
      keyOf_[e] = -potential_[edge.to];
      fan.edges.insert({keyOf_[e], e});
    }
  }

  double Reduced(int from, int e) const {
    return std::max(0.0, edges_[e].cost + potential_[from] - potential_[edges_[e].to]);
  }

  // A search of this round reaches v at distance d over edge: true when that is v's best so far
  // (the edge is then kept in through[v]); a settled node is never improved.
  bool Improves(int v, double d, int edge, std::vector<int>& through, int round) {
    if (settled_[v] == round) return false;
    if (seen_[v] != round) {
      seen_[v] = round;
      distance_[v] = kUnlimited;
    }
    if (!(d < distance_[v])) return false;
    distance_[v] = d;
    through[v] = edge;
    return true;
  }

  // The nearest node short of material from `source` (none: -1), with the path in via_.
  int ShortestPath(int source, const std::vector<double>& balance, int round) {
    // Entries: (distance, 1, node) for nodes, (distance, 2, -1 - cursor) for a fan's next edge:
    // at equal distances nodes come first.
    using Entry = std::tuple<double, int, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> heap;
    std::vector<Cursor> cursors;
    touched_.clear();
    auto reach = [&](int v, double d, int edge) {
      if (Improves(v, d, edge, via_, round)) heap.push({d, 1, v});
    };
    auto advance = [&](int c) {
      Cursor& cursor = cursors[c];
      if (cursor.at == cursor.fan->edges.end()) return;
      heap.push({cursor.base + Reduced(cursor.fan->from, cursor.at->second), 2, -1 - c});
    };
    reach(source, 0, -1);
    int sink = -1;
    double sinkDistance = kUnlimited;
    while (!heap.empty()) {
      const auto [d, kind, id] = heap.top();
      (void)kind;
      heap.pop();
      if (id < 0) {
        const int c = -1 - id;
        const int e = cursors[c].at->second;
        reach(edges_[e].to, d, e);
        ++cursors[c].at;
        advance(c);
        continue;
      }
      const int u = id;
      if (settled_[u] == round || d > distance_[u]) continue;
      settled_[u] = round;
      touched_.push_back(u);
      if (balance[u] < -kNegligible) {
        sink = u;
        sinkDistance = d;
        break;
      }
      for (int e : out_[u]) {
        if (edges_[e].residual <= kNegligible) continue;
        reach(edges_[e].to, d + Reduced(u, e), e);
      }
      for (int f : fans_[u]) {
        cursors.push_back({d, &fanSets_[f], fanSets_[f].edges.begin()});
        advance(static_cast<int>(cursors.size()) - 1);
      }
    }
    if (sink < 0) return -1;
    // The new potentials, less the constant sinkDistance, change only for the settled nodes;
    // the fan edges into them are keyed anew.
    for (int v : touched_) {
      const double moved = distance_[v] - sinkDistance;
      if (moved == 0) continue;
      for (int e : fanEdgesInto_[v]) fanSets_[edges_[e].fan].edges.erase({keyOf_[e], e});
      potential_[v] += moved;
      for (int e : fanEdgesInto_[v]) SyncFan(e);
    }
    return sink;
  }

  // The shortest path from `source` to `target`, searched backward from the target over the
  // edges into each node (so `source`'s fans are never walked); the path goes into via_ as a
  // forward search would leave it. Potentials move for the settled nodes as for a forward search.
  bool ShortestPathBack(int source, int target, int round) {
    using Entry = std::pair<double, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> heap;
    touched_.clear();
    auto reach = [&](int v, double d, int edge) {
      if (Improves(v, d, edge, back_, round)) heap.push({d, v});
    };
    reach(target, 0, -1);
    double sourceDistance = kUnlimited;
    while (!heap.empty()) {
      const auto [d, v] = heap.top();
      heap.pop();
      if (settled_[v] == round || d > distance_[v]) continue;
      settled_[v] = round;
      touched_.push_back(v);
      if (v == source) {
        sourceDistance = d;
        break;
      }
      for (int f : out_[v]) {
        const int e = f ^ 1, u = edges_[f].to;  // e runs from u into v
        if (edges_[e].residual <= kNegligible) continue;
        reach(u, d + std::max(0.0, edges_[e].cost + potential_[u] - potential_[v]), e);
      }
    }
    if (sourceDistance == kUnlimited) return false;
    for (int v = source; v != target; v = edges_[back_[v]].to) via_[edges_[back_[v]].to] = back_[v];
    for (int v : touched_) {
      const double moved = sourceDistance - distance_[v];
      if (moved == 0) continue;
      for (int e : fanEdgesInto_[v]) fanSets_[edges_[e].fan].edges.erase({keyOf_[e], e});
      potential_[v] += moved;
      for (int e : fanEdgesInto_[v]) SyncFan(e);
    }
    return true;
  }

  std::vector<Edge> edges_;
  std::vector<int> back_;
  std::vector<std::vector<int>> out_, fans_, fanEdgesInto_;
  std::vector<Fan> fanSets_;
  std::vector<double> keyOf_;
  std::vector<double> potential_, distance_;
  std::vector<int> via_, settled_, seen_, touched_;
};

// The stretch of road between barriers that a position lies in.
int StretchOf(double position, const std::vector<double>& barriers) {
  return static_cast<int>(std::lower_bound(barriers.begin(), barriers.end(), position) - barriers.begin());
}

// A line along the road on which material moves one way only, at a price per metre: hauls
// enter it at their giving place moved by the free haul, and leave it at the taking places.
struct PaidLine {
  struct Point {
    double position;
    int kind;  // 0: a haul enters, 1: a taking place
    int place;
  };
  std::vector<Point> points;
};

}  // namespace

double HaulUnitCost(double distance, const HaulPrices& prices) {
  return prices.Overhaul / 1000 * std::max(0.0, distance - prices.FreeHaul);
}

double EconomicHaulLimit(const HaulPrices& prices) {
  if (prices.Overhaul <= 0) return std::numeric_limits<double>::infinity();
  return prices.FreeHaul + (prices.Borrow + prices.Waste) / prices.Overhaul * 1000;
}

Distribution DistributeHaul(const std::vector<HaulPlace>& places, const std::vector<double>& barriersGiven,
                            const HaulPrices& prices) {
  const int count = static_cast<int>(places.size());
  std::vector<double> barriers = barriersGiven;
  std::sort(barriers.begin(), barriers.end());
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return places[a].Position < places[b].Position; });
  std::vector<int> givers, takers;  // in order along the road
  for (int p : order) {
    if (places[p].Surplus > kNegligible) givers.push_back(p);
    else if (places[p].Deficit > kNegligible) takers.push_back(p);
  }
  const double perMetre = prices.Overhaul / 1000;
  const double free = std::max(0.0, prices.FreeHaul);
  auto stretch = [&](double x) { return StretchOf(x, barriers); };

  FlowNetwork net;
  const int depot = net.AddNode();
  std::vector<int> node(count, -1), wasteEdge(count, -1), borrowEdge(count, -1);
  std::vector<double> balance(1, 0);
  // The depot takes what is wasted and gives what is borrowed; its edges back to the givers
  // (less waste) and out to the takers (borrow) are fans.
  const int borrowing = net.AddFan(depot, prices.Borrow), unwasting = net.AddFan(depot, -prices.Waste);
  for (int p : givers) {
    node[p] = net.AddNode();
    balance.push_back(places[p].Surplus);
    wasteEdge[p] = net.AddEdge(node[p], depot, kUnlimited, prices.Waste);
    net.JoinFan(wasteEdge[p] ^ 1, unwasting);
  }
  for (int p : takers) {
    node[p] = net.AddNode();
    balance.push_back(-places[p].Deficit);
    borrowEdge[p] = net.AddEdge(depot, node[p], kUnlimited, prices.Borrow);
    net.JoinFan(borrowEdge[p], borrowing);
  }
  // The depot balances the two; the givers send first (in order along the road, each search
  // staying near its giver), then the depot what must be borrowed beyond all that is cut.
  for (size_t k = 1; k < balance.size(); ++k) balance[0] -= balance[k];

  // Paid lines, one each way: a haul enters at its giving place plus (or minus) the free haul and
  // pays per metre to the taking place, never across a barrier.
  for (const int direction : {+1, -1}) {
    std::vector<PaidLine::Point> points;
    for (int p : givers) {
      const double entry = places[p].Position + direction * free;
      if (stretch(entry) == stretch(places[p].Position)) points.push_back({entry, 0, p});
    }
    for (int p : takers) points.push_back({places[p].Position, 1, p});
    std::sort(points.begin(), points.end(), [&](const auto& a, const auto& b) {
      if (a.position != b.position) return direction > 0 ? a.position < b.position : a.position > b.position;
      return a.kind < b.kind;
    });
    int previous = -1;
    for (size_t k = 0; k < points.size(); ++k) {
      const int here = net.AddNode();
      if (previous >= 0 && stretch(points[k - 1].position) == stretch(points[k].position))
        net.AddEdge(previous, here, kUnlimited, perMetre * std::abs(points[k].position - points[k - 1].position));
      if (points[k].kind == 0) net.AddEdge(node[points[k].place], here, kUnlimited, 0);
      else net.AddEdge(here, node[points[k].place], kUnlimited, 0);
      previous = here;
    }
  }

  // The free reach: blocks of FreeHaul metres; in each, one chain rightward and one leftward
  // over its taking places. From a giving place at x in block B, B's rightward chain from the
  // first taker at or after x and the next block's leftward chain from the last taker at or
  // before x + free reach exactly the takers in [x, x + free]; the other way alike.
  if (free > 0 && !takers.empty() && !givers.empty()) {
    const double origin = places[order.front()].Position;
    auto block = [&](double x) { return static_cast<long long>(std::floor((x - origin) / free)); };
    std::vector<double> takerPositions;
    for (int p : takers) takerPositions.push_back(places[p].Position);
    std::vector<int> rightward(takers.size()), leftward(takers.size());
    for (size_t k = 0; k < takers.size(); ++k) {
      rightward[k] = net.AddNode();
      leftward[k] = net.AddNode();
      net.AddEdge(rightward[k], node[takers[k]], kUnlimited, 0);
      net.AddEdge(leftward[k], node[takers[k]], kUnlimited, 0);
      if (k > 0 && block(takerPositions[k - 1]) == block(takerPositions[k]) &&
          stretch(takerPositions[k - 1]) == stretch(takerPositions[k])) {
        net.AddEdge(rightward[k - 1], rightward[k], kUnlimited, 0);
        net.AddEdge(leftward[k], leftward[k - 1], kUnlimited, 0);
      }
    }
    auto firstAtOrAfter = [&](double x) {
      return static_cast<size_t>(std::lower_bound(takerPositions.begin(), takerPositions.end(), x) - takerPositions.begin());
    };
    auto lastAtOrBefore = [&](double x) {
      return static_cast<long long>(std::upper_bound(takerPositions.begin(), takerPositions.end(), x) -
                                    takerPositions.begin()) - 1;
    };
    for (int p : givers) {
      const double x = places[p].Position;
      const long long b = block(x);
      auto enter = [&](long long k, const std::vector<int>& chain, long long wantBlock) {
        if (k < 0 || k >= static_cast<long long>(takers.size())) return;
        const double y = takerPositions[k];
        if (block(y) != wantBlock || stretch(y) != stretch(x) || std::abs(y - x) > free) return;
        net.AddEdge(node[p], chain[k], kUnlimited, 0);
      };
      // The reach stops at the barriers on either side (a barrier's own position belongs to the
      // stretch before it).
      const int own = stretch(x);
      const double upTo = own < static_cast<int>(barriers.size()) ? std::min(x + free, barriers[own]) : x + free;
      size_t lowest = firstAtOrAfter(x - free);
      if (own > 0) {
        const size_t afterBarrier = static_cast<size_t>(
            std::upper_bound(takerPositions.begin(), takerPositions.end(), barriers[own - 1]) - takerPositions.begin());
        lowest = std::max(lowest, afterBarrier);
      }
      enter(static_cast<long long>(firstAtOrAfter(x)), rightward, b);
      enter(lastAtOrBefore(upTo), leftward, b + 1);
      enter(lastAtOrBefore(x), leftward, b);
      enter(static_cast<long long>(lowest), rightward, b - 1);
    }
  }

  balance.resize(net.NodeCount(), 0);
  net.Balance(balance, depot);

  Distribution result;
  result.Wasted.assign(count, 0);
  result.Borrowed.assign(count, 0);
  std::vector<double> hauledOut(count, 0), hauledIn(count, 0);
  for (int p : givers) {
    result.Wasted[p] = std::min(places[p].Surplus, net.Flow(wasteEdge[p]));
    hauledOut[p] = places[p].Surplus - result.Wasted[p];
  }
  for (int p : takers) {
    result.Borrowed[p] = std::min(places[p].Deficit, net.Flow(borrowEdge[p]));
    hauledIn[p] = places[p].Deficit - result.Borrowed[p];
  }
  // The hauled amounts paired in order along the road, stretch by stretch.
  size_t g = 0, t = 0;
  while (g < givers.size() && t < takers.size()) {
    const int from = givers[g], to = takers[t];
    const int sg = stretch(places[from].Position), st = stretch(places[to].Position);
    if (hauledOut[from] <= kNegligible || sg < st) {
      ++g;
      continue;
    }
    if (hauledIn[to] <= kNegligible || st < sg) {
      ++t;
      continue;
    }
    const double volume = std::min(hauledOut[from], hauledIn[to]);
    const double distance = std::abs(places[to].Position - places[from].Position);
    result.Hauls.push_back({from, to, volume, distance});
    result.OverhaulCost += volume * HaulUnitCost(distance, prices);
    hauledOut[from] -= volume;
    hauledIn[to] -= volume;
  }
  for (int p = 0; p < count; ++p) {
    result.BorrowCost += result.Borrowed[p] * prices.Borrow;
    result.WasteCost += result.Wasted[p] * prices.Waste;
  }
  std::sort(result.Hauls.begin(), result.Hauls.end(),
            [](const Haul& a, const Haul& b) { return a.From != b.From ? a.From < b.From : a.To < b.To; });
  return result;
}

}  // namespace kestrel
