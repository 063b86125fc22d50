#include "VantorSyntheticCT/ChestPhantom.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <thread>

#include "Random.h"
#include "VantorSyntheticCT/Label.h"

namespace VantorSyntheticCT {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Body outline and chest wall (millimetres).
constexpr double BodyHalfWidth = 165.0;
constexpr double BodyHalfDepth = 118.0;
constexpr double ChestWallThickness = 30.0;  // skin, fat, muscle, ribs
constexpr double SpineY = 70.0;
constexpr double SpineRadius = 17.0;
constexpr double CanalY = 95.0;

// One lung: an elliptic column, rounded at the apex and cut below by the
// diaphragm dome.
struct LungShape {
  double centreX, centreY, halfWidth, halfDepth;
  double apexZ;
  double domeTopZ, domeX, domeY;
  double baseZ;  // lowest point (costophrenic recess)
};

constexpr double DomeCurvature = 0.016;  // mm of fall per mm^2 from the dome's top
constexpr double HeartX = 18, HeartY = -22, HeartZ = -50;
constexpr double HeartHalfX = 62, HeartHalfY = 52, HeartHalfZ = 55;

enum class Target : std::uint8_t {
  NotBone,          // anything inside the body but bone
  LungParenchyma,   // plain parenchyma of the primitive's lung
  LungAny,          // parenchyma, lung vessels and earlier pulmonary findings
};

struct Capsule {
  Point3 a, b;
  double radius;
  double wall;           // 0: no wall
  std::int16_t hounsfield;
  std::int16_t wallHounsfield;
  Label label;
  Label wallLabel;
  Target target;
  bool left;             // lung side (for lung targets)
  int zone = -1;         // findings stay inside their zone
};

struct Sphere {
  Point3 centre;
  double radius;
  std::int16_t hounsfield;
  Label label;
  Target target;
  bool left;
  int zone;              // findings stay inside their zone
};

enum class RegionKind : std::uint8_t { Plaque, CalcifiedPlaque, DiffuseThickening, Effusion, Honeycombing };

struct Region {
  RegionKind kind;
  bool left;
  int zone;
  double zMin, zMax;
  double zCentre, halfZ;
  double angle, halfArc;   // around the lung's centre
  double thickness;        // pleural thickness, or honeycombing band depth
  std::uint64_t seed;
};

struct SliceEllipse {
  bool present = false;
  double centreX = 0, centreY = 0, halfWidth = 0, halfDepth = 0;
};

// The two muscle columns beside the spine.
bool paraspinal(double x, double y) {
  const double nx = (std::abs(x) - 30.0) / 20.0, ny = (y - 92.0) / 22.0;
  return nx * nx + ny * ny < 1.0;
}

bool isLungLabel(std::uint8_t label) {
  return label == static_cast<std::uint8_t>(Label::RightLung) || label == static_cast<std::uint8_t>(Label::LeftLung);
}

bool isPulmonaryFinding(std::uint8_t label) {
  const int finding = label - static_cast<int>(Label::FirstFinding);
  if (finding < 0 || finding >= FindingKindCount) return false;
  switch (static_cast<FindingKind>(finding)) {
    case FindingKind::PleuralPlaque:
    case FindingKind::CalcifiedPleuralPlaque:
    case FindingKind::DiffusePleuralThickening:
    case FindingKind::Effusion:
      return false;
    default:
      return true;
  }
}

double distanceSquaredToSegment(const Point3& p, const Point3& a, const Point3& b) {
  const double abx = b.x - a.x, aby = b.y - a.y, abz = b.z - a.z;
  const double apx = p.x - a.x, apy = p.y - a.y, apz = p.z - a.z;
  const double lengthSquared = abx * abx + aby * aby + abz * abz;
  double t = lengthSquared > 0 ? (apx * abx + apy * aby + apz * abz) / lengthSquared : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double dx = apx - t * abx, dy = apy - t * aby, dz = apz - t * abz;
  return dx * dx + dy * dy + dz * dz;
}

// Lumens that join without a wall between them: a tube and its branches.
bool sameTree(Label a, Label b) {
  const auto airway = [](Label l) { return l == Label::Airway || l == Label::Bronchus; };
  return a == b || (airway(a) && airway(b));
}

double wrapAngle(double angle) {
  while (angle > Pi) angle -= 2 * Pi;
  while (angle < -Pi) angle += 2 * Pi;
  return angle;
}

}  // namespace

struct ChestPhantom::Impl {
  SeriesOptions options;
  std::uint64_t seed = 0;
  int columns = 0, rows = 0, slices = 0;
  double pixelSpacing = 1, sliceSpacing = 1;
  double firstX = 0, firstY = 0, firstZ = 0;
  std::array<LungShape, 2> lungs{};  // 0 right, 1 left
  std::vector<Capsule> capsules;     // great vessels, airways, lung vessels, irregular opacities
  std::vector<Sphere> spheres;
  std::vector<Region> regions;
  std::vector<PlacedFinding> placed;

  double bodyHalfWidth(double z) const { return BodyHalfWidth - std::max(0.0, z - 90.0) * 0.6; }

  // Distance inward from the skin, or a negative value outside the body.
  double bodyDepth(double x, double y, double z) const {
    const double a = bodyHalfWidth(z);
    const double nx = x / a, ny = y / BodyHalfDepth;
    const double rho = std::sqrt(nx * nx + ny * ny);
    const double r = std::sqrt(x * x + y * y);
    if (rho < 1e-9) return BodyHalfDepth;
    return r * (1.0 / rho - 1.0);
  }

  SliceEllipse lungEllipse(int side, double z) const {
    const LungShape& lung = lungs[static_cast<std::size_t>(side)];
    SliceEllipse e;
    if (z >= lung.apexZ || z <= lung.baseZ) return e;
    const double scale = std::min(1.0, std::sqrt((lung.apexZ - z) / 60.0));
    e.present = true;
    e.centreX = lung.centreX;
    e.centreY = lung.centreY;
    e.halfWidth = lung.halfWidth * scale;
    e.halfDepth = lung.halfDepth * scale;
    return e;
  }

  double domeZ(int side, double x, double y) const {
    const LungShape& lung = lungs[static_cast<std::size_t>(side)];
    const double dx = x - lung.domeX, dy = y - lung.domeY;
    return lung.domeTopZ - DomeCurvature * (dx * dx + dy * dy);
  }

  bool insideHeart(double x, double y, double z, double margin) const {
    const double nx = (x - HeartX) / (HeartHalfX + margin), ny = (y - HeartY) / (HeartHalfY + margin),
                 nz = (z - HeartZ) / (HeartHalfZ + margin);
    return nx * nx + ny * ny + nz * nz < 1.0;
  }

  // Depth below the chest-wall side of the lung (lung outline or inner
  // surface of the chest wall, whichever is nearer).
  double pleuralDepth(const SliceEllipse& e, double x, double y, double bodyDepthValue) const {
    const double dx = x - e.centreX, dy = y - e.centreY;
    const double nx = dx / e.halfWidth, ny = dy / e.halfDepth;
    const double rho = std::sqrt(nx * nx + ny * ny);
    const double r = std::sqrt(dx * dx + dy * dy);
    const double ellipseDepth = rho < 1e-9 ? e.halfWidth : r * (1.0 / rho - 1.0);
    return std::min(ellipseDepth, bodyDepthValue - ChestWallThickness);
  }

  // Geometric lung test without vessels and findings.
  bool insideLung(int side, double x, double y, double z) const {
    const SliceEllipse e = lungEllipse(side, z);
    if (!e.present) return false;
    const double nx = (x - e.centreX) / e.halfWidth, ny = (y - e.centreY) / e.halfDepth;
    if (nx * nx + ny * ny >= 1.0) return false;
    if (bodyDepth(x, y, z) < ChestWallThickness) return false;
    if (z <= domeZ(side, x, y)) return false;
    if (insideHeart(x, y, z, 3.0)) return false;
    if (paraspinal(x, y)) return false;
    const double sx = x, sy = y - SpineY;
    return sx * sx + sy * sy >= 27.0 * 27.0;
  }

  // Zone of height z in a lung: 0, 1, 2 from the apex (clamped), plus 3 for the left lung.
  int zoneAt(int side, double z) const {
    const LungShape& lung = lungs[static_cast<std::size_t>(side)];
    const double third = (lung.apexZ - lung.baseZ) / 3.0;
    return side * 3 + std::clamp(static_cast<int>(std::floor((lung.apexZ - z) / third)), 0, 2);
  }

  void zoneRange(LungZone zone, int& side, double& zLow, double& zHigh) const {
    const int index = static_cast<int>(zone);
    side = index >= 3 ? 1 : 0;
    const LungShape& lung = lungs[static_cast<std::size_t>(side)];
    const double third = (lung.apexZ - lung.baseZ) / 3.0;
    zHigh = lung.apexZ - (index % 3) * third;
    zLow = zHigh - third;
  }

  // A point of the lung inside the zone, with the pleural depth in range.
  Point3 lungPoint(Random& random, LungZone zone, double minimumDepth, double maximumDepth) const {
    int side = 0;
    double zLow = 0, zHigh = 0;
    zoneRange(zone, side, zLow, zHigh);
    Point3 best{lungs[static_cast<std::size_t>(side)].centreX, lungs[static_cast<std::size_t>(side)].centreY,
                (zLow + zHigh) / 2};
    for (int attempt = 0; attempt < 2000; ++attempt) {
      const double z = random.uniform(zLow, zHigh);
      const SliceEllipse e = lungEllipse(side, z);
      if (!e.present) continue;
      const double x = random.uniform(e.centreX - e.halfWidth, e.centreX + e.halfWidth);
      const double y = random.uniform(e.centreY - e.halfDepth, e.centreY + e.halfDepth);
      if (!insideLung(side, x, y, z)) continue;
      const double depth = pleuralDepth(e, x, y, bodyDepth(x, y, z));
      if (depth < minimumDepth || depth > maximumDepth) continue;
      return Point3{x, y, z};
    }
    return best;
  }

  // Pulmonary vessels: a tree grown from the hilum towards points spread
  // through the lung (each new point joins the nearest node, in steps of at
  // most 20 mm); radii follow Murray's law from 0.7 mm twigs.
  void addVesselTree(Random& random, int side) {
    struct Node {
      Point3 position;
      int parent;
      double radiusCubed;
    };
    const double sign = side == 0 ? -1.0 : 1.0;
    std::vector<Node> nodes = {Node{{sign * 50, 8, 8}, -1, 0}};
    std::vector<Point3> targets;
    for (int i = 0; i < 500; ++i) {
      targets.push_back(lungPoint(random, static_cast<LungZone>(side * 3 + static_cast<int>(random.uniform() * 3)), 3.0, 1e9));
    }
    const auto distance = [](const Point3& a, const Point3& b) {
      return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
    };
    std::sort(targets.begin(), targets.end(), [&](const Point3& a, const Point3& b) {
      return distance(a, nodes[0].position) < distance(b, nodes[0].position);
    });
    for (const Point3& target : targets) {
      int nearest = 0;
      double best = 1e18;
      for (std::size_t n = 0; n < nodes.size(); ++n) {
        const double d = distance(nodes[n].position, target);
        if (d < best) {
          best = d;
          nearest = static_cast<int>(n);
        }
      }
      if (best < 4.0) continue;
      const int steps = std::max(1, static_cast<int>(std::ceil(best / 20.0)));
      const Point3 from = nodes[static_cast<std::size_t>(nearest)].position;
      int parent = nearest;
      for (int step = 1; step <= steps; ++step) {
        const double t = static_cast<double>(step) / steps;
        const double wobble = step < steps ? 2.0 : 0.0;
        nodes.push_back(Node{{from.x + t * (target.x - from.x) + random.uniform(-wobble, wobble),
                              from.y + t * (target.y - from.y) + random.uniform(-wobble, wobble),
                              from.z + t * (target.z - from.z) + random.uniform(-wobble, wobble)},
                             parent, 0});
        parent = static_cast<int>(nodes.size()) - 1;
      }
    }
    constexpr double TwigRadius = 0.8;
    std::vector<bool> hasChild(nodes.size(), false);
    for (const Node& node : nodes) {
      if (node.parent >= 0) hasChild[static_cast<std::size_t>(node.parent)] = true;
    }
    for (std::size_t n = nodes.size(); n-- > 1;) {
      if (!hasChild[n]) nodes[n].radiusCubed = TwigRadius * TwigRadius * TwigRadius;
      nodes[static_cast<std::size_t>(nodes[n].parent)].radiusCubed += nodes[n].radiusCubed;
    }
    for (std::size_t n = 1; n < nodes.size(); ++n) {
      const double radius = std::min(7.0, std::cbrt(nodes[n].radiusCubed));
      capsules.push_back(Capsule{nodes[static_cast<std::size_t>(nodes[n].parent)].position, nodes[n].position, radius, 0,
                                 40, 0, Label::LungVessel, Label::LungVessel, Target::LungParenchyma, side == 1});
    }
  }

  void buildAnatomy(Random& random) {
    lungs[0] = LungShape{-80, 5, 58, 85, 118, -65, -70, 10, 0};
    lungs[1] = LungShape{80, 5, 58, 85, 115, -75, 70, 10, 0};
    for (LungShape& lung : lungs) lung.baseZ = lung.domeTopZ - DomeCurvature * 60.0 * 60.0;

    const auto vessel = [&](Point3 a, Point3 b, double radius) {
      capsules.push_back(Capsule{a, b, radius, 0, 40, 0, Label::HeartAndVessels, Label::HeartAndVessels,
                                 Target::NotBone, false});
    };
    vessel({5, -20, -10}, {5, -15, 58}, 15);     // ascending aorta
    vessel({5, -15, 58}, {22, 45, 60}, 13);      // arch
    vessel({22, 45, 60}, {22, 45, -160}, 12);    // descending aorta
    vessel({-25, -15, 80}, {-25, -15, -20}, 10); // superior vena cava
    vessel({10, -35, -5}, {5, -10, 22}, 13);     // pulmonary trunk
    vessel({5, -10, 22}, {-45, 5, 15}, 10);      // right pulmonary artery
    vessel({5, -10, 22}, {45, 10, 24}, 10);      // left pulmonary artery

    const auto airway = [&](Point3 a, Point3 b, double radius, Label label) {
      capsules.push_back(Capsule{a, b, radius, 1.6, -1000, 30, label, Label::Body, Target::NotBone, false});
    };
    // Lobar bronchi first, so that where one starts inside its main bronchus
    // the main bronchus paints over it: the central airways end where the
    // main bronchi end.
    airway({-11, 8, 15}, {-42, 4, 28}, 4, Label::Bronchus);     // right upper lobe bronchus
    airway({-12, 8, 13}, {-45, 25, -35}, 4.5, Label::Bronchus); // bronchus intermedius and right lower lobe bronchus
    airway({27, 12, 3}, {52, 0, 25}, 4, Label::Bronchus);       // left upper lobe bronchus
    airway({29, 12, 1}, {52, 30, -38}, 4.5, Label::Bronchus);   // left lower lobe bronchus
    // Main bronchi as in an adult: the right short and steep (about 25 mm at
    // 30 degrees from the vertical), the left long and oblique (about 45 mm
    // at 40 degrees).
    airway({0, -5, 400}, {0, 5, 35}, 9, Label::Airway);         // trachea, from above the scan
    airway({0, 5, 35}, {-12, 8, 13}, 7, Label::Airway);         // right main bronchus
    airway({0, 5, 35}, {29, 12, 1}, 6.5, Label::Airway);        // left main bronchus

    for (int side = 0; side < 2; ++side) addVesselTree(random, side);
  }

  void addFinding(Random& random, FindingKind kind, LungZone zone, int requestedCount) {
    int side = 0;
    double zLow = 0, zHigh = 0;
    zoneRange(zone, side, zLow, zHigh);
    const bool left = side == 1;
    const Label label = labelOf(kind);
    PlacedFinding finding;
    finding.kind = kind;
    finding.zone = zone;
    finding.minimumSizeMm = 1e9;
    finding.maximumSizeMm = 0;
    const auto noteSize = [&](double size) {
      finding.minimumSizeMm = std::min(finding.minimumSizeMm, size);
      finding.maximumSizeMm = std::max(finding.maximumSizeMm, size);
    };
    const auto count = [&](int fallback) { return requestedCount > 0 ? requestedCount : fallback; };
    constexpr double wide = 1e9;

    switch (kind) {
      case FindingKind::RoundedOpacitySmall:
      case FindingKind::RoundedOpacityMedium:
      case FindingKind::RoundedOpacityLarge: {
        const double low = kind == FindingKind::RoundedOpacitySmall ? 0.8 : kind == FindingKind::RoundedOpacityMedium ? 1.5 : 3.0;
        const double high = kind == FindingKind::RoundedOpacitySmall ? 1.5 : kind == FindingKind::RoundedOpacityMedium ? 3.0 : 10.0;
        const int n = count(kind == FindingKind::RoundedOpacityLarge ? 12 : 30);
        for (int i = 0; i < n; ++i) {
          const Point3 centre = lungPoint(random, zone, 2.0, wide);
          const double diameter = random.uniform(low, high);
          spheres.push_back(Sphere{centre, diameter / 2, 45, label, Target::LungAny, left, static_cast<int>(zone)});
          if (i == 0) finding.centre = centre;
          noteSize(diameter);
        }
        finding.objects = n;
        break;
      }
      case FindingKind::IrregularOpacity: {
        const int n = count(40);
        for (int i = 0; i < n; ++i) {
          const Point3 start = lungPoint(random, zone, 1.0, 25.0);
          const double length = random.uniform(8, 20);
          double dx = random.uniform(-1, 1), dy = random.uniform(-1, 1), dz = random.uniform(-1, 1);
          const double norm = std::max(1e-6, std::sqrt(dx * dx + dy * dy + dz * dz));
          dx /= norm, dy /= norm, dz /= norm;
          const double radius = random.uniform(0.5, 0.9);
          capsules.push_back(Capsule{start, {start.x + dx * length, start.y + dy * length, start.z + dz * length}, radius,
                                     0, 0, 0, label, label, Target::LungAny, left, static_cast<int>(zone)});
          if (i == 0) finding.centre = start;
          noteSize(2 * radius);
        }
        finding.objects = n;
        break;
      }
      case FindingKind::GroundGlass:
      case FindingKind::LargeOpacity:
      case FindingKind::Emphysema: {
        if (kind == FindingKind::Emphysema) {
          const int n = count(40);
          for (int i = 0; i < n; ++i) {
            const Point3 centre = lungPoint(random, zone, 3.0, wide);
            const double radius = random.uniform(1.5, 6.0);
            spheres.push_back(Sphere{centre, radius, -990, label, Target::LungParenchyma, left, static_cast<int>(zone)});
            if (i == 0) finding.centre = centre;
            noteSize(2 * radius);
          }
          finding.objects = n;
          break;
        }
        const bool glass = kind == FindingKind::GroundGlass;
        const Point3 centre = lungPoint(random, zone, glass ? 15.0 : 22.0, wide);
        const int lobes = 4;
        for (int i = 0; i < lobes; ++i) {
          const double spread = glass ? 14.0 : 8.0;
          const Point3 lobe{centre.x + random.uniform(-spread, spread), centre.y + random.uniform(-spread, spread),
                            centre.z + random.uniform(-spread, spread)};
          const double radius = glass ? random.uniform(12, 24) : random.uniform(8, 14);
          spheres.push_back(Sphere{i == 0 ? centre : lobe, radius, static_cast<std::int16_t>(glass ? -600 : 35), label,
                                   glass ? Target::LungParenchyma : Target::LungAny, left, static_cast<int>(zone)});
          noteSize(2 * radius);
        }
        finding.centre = centre;
        finding.objects = 1;
        break;
      }
      case FindingKind::Honeycombing:
      case FindingKind::PleuralPlaque:
      case FindingKind::CalcifiedPleuralPlaque:
      case FindingKind::DiffusePleuralThickening:
      case FindingKind::Effusion: {
        const LungShape& lung = lungs[static_cast<std::size_t>(side)];
        // Chest-wall side of the lung: away from the mediastinum.
        const double outward = left ? 0.0 : Pi;
        Region region{};
        region.left = left;
        region.zone = static_cast<int>(zone);
        region.zMin = zLow;
        region.zMax = zHigh;
        region.seed = random.next();
        region.angle = wrapAngle(outward + random.uniform(-1.2, 1.2));
        region.zCentre = random.uniform(zLow + 0.3 * (zHigh - zLow), zHigh - 0.3 * (zHigh - zLow));
        switch (kind) {
          case FindingKind::Honeycombing:
            region.kind = RegionKind::Honeycombing;
            region.angle = wrapAngle(outward + (left ? 1.0 : -1.0) * random.uniform(0.3, 1.0));  // posterolateral
            region.halfArc = 45;
            region.halfZ = 30;
            region.thickness = 14;
            noteSize(region.thickness);
            break;
          case FindingKind::PleuralPlaque:
          case FindingKind::CalcifiedPleuralPlaque:
            region.kind = kind == FindingKind::PleuralPlaque ? RegionKind::Plaque : RegionKind::CalcifiedPlaque;
            region.halfArc = random.uniform(18, 30);
            region.halfZ = random.uniform(12, 20);
            region.thickness = kind == FindingKind::PleuralPlaque ? random.uniform(3, 6) : random.uniform(4, 7);
            noteSize(region.thickness);
            break;
          case FindingKind::DiffusePleuralThickening:
            region.kind = RegionKind::DiffuseThickening;
            region.halfArc = 90;
            region.zCentre = (zLow + zHigh) / 2;
            region.halfZ = (zHigh - zLow) / 2 + 5;
            region.thickness = random.uniform(4, 7);
            noteSize(region.thickness);
            break;
          default:
            region.kind = RegionKind::Effusion;
            region.angle = 0;
            region.halfArc = 0;
            region.zCentre = (zLow + zHigh) / 2;
            region.halfZ = (zHigh - zLow) / 2;
            region.thickness = 0;
            noteSize(0.5 * lung.halfDepth);
            break;
        }
        const double arcRadius = (lung.halfWidth + lung.halfDepth) / 2;
        finding.centre = Point3{lung.centreX + std::cos(region.angle) * arcRadius,
                                lung.centreY + std::sin(region.angle) * arcRadius, region.zCentre};
        if (region.kind == RegionKind::Effusion) finding.centre = Point3{lung.centreX, lung.centreY + lung.halfDepth * 0.7, region.zCentre};
        finding.objects = 1;
        regions.push_back(region);
        break;
      }
    }
    if (finding.maximumSizeMm == 0 && finding.minimumSizeMm > 1e8) finding.minimumSizeMm = 0;
    placed.push_back(finding);
  }
};

ChestPhantom::ChestPhantom(const SeriesOptions& options, std::uint64_t seed) : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  d.options = options;
  d.seed = seed;
  d.columns = std::max(1, options.columns);
  d.rows = std::max(1, options.rows);
  d.slices = std::max(1, options.slices);
  d.pixelSpacing = options.effectivePixelSpacing();
  d.sliceSpacing = options.effectiveSliceSpacing();
  d.firstX = -(d.columns - 1) * d.pixelSpacing / 2;
  d.firstY = -(d.rows - 1) * d.pixelSpacing / 2;
  d.firstZ = options.centreZ + (d.slices - 1) * d.sliceSpacing / 2;

  // Anatomy depends on the seed only, so series of one patient with
  // different matrices show the same chest.
  Random anatomyRandom(Random::mix(seed, 0xA11A70));
  d.buildAnatomy(anatomyRandom);

  // Requests of the same kind and zone are merged into one finding.
  std::vector<FindingRequest> merged;
  for (const FindingRequest& request : options.findings) {
    auto same = std::find_if(merged.begin(), merged.end(), [&](const FindingRequest& r) {
      return r.kind == request.kind && r.zone == request.zone;
    });
    if (same == merged.end()) {
      merged.push_back(request);
    } else if (request.count > 0 || same->count > 0) {
      same->count = std::max(same->count, 0) + std::max(request.count, 0);
    }
  }
  Random findingRandom(Random::mix(seed, 0xF1DD));
  for (const FindingRequest& request : merged) d.addFinding(findingRandom, request.kind, request.zone, request.count);
}

ChestPhantom::~ChestPhantom() = default;

const SeriesOptions& ChestPhantom::options() const { return impl_->options; }
int ChestPhantom::columns() const { return impl_->columns; }
int ChestPhantom::rows() const { return impl_->rows; }
int ChestPhantom::slices() const { return impl_->slices; }
double ChestPhantom::pixelSpacing() const { return impl_->pixelSpacing; }
double ChestPhantom::sliceSpacing() const { return impl_->sliceSpacing; }
const std::vector<PlacedFinding>& ChestPhantom::placedFindings() const { return impl_->placed; }
double ChestPhantom::lungApexZ(bool left) const { return impl_->lungs[left ? 1 : 0].apexZ; }
double ChestPhantom::lungBaseZ(bool left) const { return impl_->lungs[left ? 1 : 0].baseZ; }

Point3 ChestPhantom::slicePosition(int slice) const {
  return Point3{impl_->firstX, impl_->firstY, impl_->firstZ - slice * impl_->sliceSpacing};
}

void ChestPhantom::renderSlice(int slice, std::int16_t* hounsfield, std::uint8_t* labels) const {
  const Impl& d = *impl_;
  const int columns = d.columns, rows = d.rows;
  const double spacing = d.pixelSpacing;
  const double z = d.firstZ - slice * d.sliceSpacing;
  const std::size_t count = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
  // Hounsfield values before noise, kept as float so ground glass etc. can blend.
  std::vector<float> value(count);

  const std::array<SliceEllipse, 2> lungAt = {d.lungEllipse(0, z), d.lungEllipse(1, z)};
  const double heartScale = 1.0 - ((z - HeartZ) / (HeartHalfZ + 3.0)) * ((z - HeartZ) / (HeartHalfZ + 3.0));
  const bool ribLevel = z > -110 && z < 130;
  const bool sternumLevel = z > -70 && z < 90;

  // Base anatomy, pixel by pixel.
  for (int j = 0; j < rows; ++j) {
    const double y = d.firstY + j * spacing;
    float* valueRow = value.data() + static_cast<std::size_t>(j) * columns;
    std::uint8_t* labelRow = labels + static_cast<std::size_t>(j) * columns;
    for (int i = 0; i < columns; ++i) {
      const double x = d.firstX + i * spacing;
      const double depth = d.bodyDepth(x, y, z);
      float hu = -1000.0f;
      Label label = Label::Outside;
      if (depth >= 0) {
        label = Label::Body;
        const double spineDx = x, spineDy = y - SpineY;
        const double spineDistanceSquared = spineDx * spineDx + spineDy * spineDy;
        const double canalDy = y - CanalY;
        const double canalDistanceSquared = x * x + canalDy * canalDy;
        if (spineDistanceSquared < SpineRadius * SpineRadius) {
          label = Label::Bone;
          hu = spineDistanceSquared > (SpineRadius - 2) * (SpineRadius - 2) ? 750.0f : 250.0f;
        } else if (canalDistanceSquared < 7.0 * 7.0) {
          hu = 15.0f;
        } else if (canalDistanceSquared < 12.0 * 12.0 || (std::abs(x) < 3.5 && y > CanalY && y < CanalY + 20)) {
          label = Label::Bone;
          hu = 500.0f;
        } else if (depth < 2.0) {
          hu = 20.0f;  // skin
        } else if (depth < 14.0) {
          hu = -100.0f;  // subcutaneous fat
        } else if (sternumLevel && y < 0 && std::abs(x) < 14 && depth < 28.0) {
          label = Label::Bone;
          hu = 400.0f;
        } else if (depth < 24.0 || paraspinal(x, y)) {
          hu = 50.0f;  // chest wall and paraspinal muscles
        } else if (depth < ChestWallThickness) {
          // Ribs run obliquely: their height changes with the angle around the body.
          const double angle = std::atan2(y, x);
          const double phase = (z + 30.0 * std::sin(angle)) / 24.0;
          const bool rib = ribLevel && (phase - std::floor(phase)) < 0.36 && !(std::abs(x) < 25 && y < 0);
          if (rib) {
            label = Label::Bone;
            hu = 650.0f;
          } else {
            hu = 45.0f;
          }
        } else {
          const int side = x < 0 ? 0 : 1;
          const SliceEllipse& e = lungAt[static_cast<std::size_t>(side)];
          const double domeZ = d.domeZ(side, x, y);
          if (z <= domeZ) {
            if (side == 0 || x < 10) {
              label = Label::Liver;
              hu = 60.0f;
            } else {
              hu = 35.0f;  // spleen and stomach wall
            }
          } else if (heartScale > 0 && d.insideHeart(x, y, z, 0.0)) {
            label = Label::HeartAndVessels;
            hu = 40.0f;
          } else {
            bool lung = false;
            if (e.present) {
              const double nx = (x - e.centreX) / e.halfWidth, ny = (y - e.centreY) / e.halfDepth;
              lung = nx * nx + ny * ny < 1.0 && spineDistanceSquared >= 27.0 * 27.0 &&
                     !(heartScale > 0 && d.insideHeart(x, y, z, 3.0));
            }
            if (lung) {
              label = side == 0 ? Label::RightLung : Label::LeftLung;
              // Dependent lung is a little denser.
              hu = static_cast<float>(-860.0 + 25.0 * (y - e.centreY) / e.halfDepth);
            } else {
              hu = -80.0f;  // mediastinal fat
            }
          }
        }
      }
      valueRow[i] = hu;
      labelRow[i] = static_cast<std::uint8_t>(label);
    }
  }

  const auto accepts = [&](Target target, bool left, double x, std::uint8_t label) {
    switch (target) {
      case Target::NotBone:
        return label != static_cast<std::uint8_t>(Label::Outside) && label != static_cast<std::uint8_t>(Label::Bone);
      case Target::LungParenchyma:
        return label == static_cast<std::uint8_t>(left ? Label::LeftLung : Label::RightLung);
      case Target::LungAny:
        return (left ? x >= 0 : x < 0) &&
               (isLungLabel(label) || label == static_cast<std::uint8_t>(Label::LungVessel) || isPulmonaryFinding(label));
    }
    return false;
  };
  const auto columnOf = [&](double x) { return (x - d.firstX) / spacing; };
  const auto rowOf = [&](double y) { return (y - d.firstY) / spacing; };
  const auto clampRange = [](double low, double high, int size, int& first, int& last) {
    first = std::max(0, static_cast<int>(std::ceil(low)));
    last = std::min(size - 1, static_cast<int>(std::floor(high)));
    return first <= last;
  };

  // Tubes: vessels, airways, lung vessels, irregular opacities.
  for (const Capsule& capsule : d.capsules) {
    if (capsule.zone >= 0 && d.zoneAt(capsule.left ? 1 : 0, z) != capsule.zone) continue;
    const double reach = capsule.radius + capsule.wall;
    const double az = capsule.a.z, bz = capsule.b.z;
    double t0 = 0, t1 = 1;
    if (std::abs(bz - az) < 1e-9) {
      if (std::abs(az - z) > reach) continue;
    } else {
      t0 = (z - reach - az) / (bz - az);
      t1 = (z + reach - az) / (bz - az);
      if (t0 > t1) std::swap(t0, t1);
      t0 = std::max(t0, 0.0);
      t1 = std::min(t1, 1.0);
      if (t0 > t1) continue;
    }
    const double x0 = capsule.a.x + t0 * (capsule.b.x - capsule.a.x), x1 = capsule.a.x + t1 * (capsule.b.x - capsule.a.x);
    const double y0 = capsule.a.y + t0 * (capsule.b.y - capsule.a.y), y1 = capsule.a.y + t1 * (capsule.b.y - capsule.a.y);
    int iFirst, iLast, jFirst, jLast;
    if (!clampRange(columnOf(std::min(x0, x1) - reach), columnOf(std::max(x0, x1) + reach), columns, iFirst, iLast)) continue;
    if (!clampRange(rowOf(std::min(y0, y1) - reach), rowOf(std::max(y0, y1) + reach), rows, jFirst, jLast)) continue;
    const double radiusSquared = capsule.radius * capsule.radius, reachSquared = reach * reach;
    for (int j = jFirst; j <= jLast; ++j) {
      const double y = d.firstY + j * spacing;
      for (int i = iFirst; i <= iLast; ++i) {
        const double x = d.firstX + i * spacing;
        const double distanceSquared = distanceSquaredToSegment({x, y, z}, capsule.a, capsule.b);
        if (distanceSquared >= reachSquared) continue;
        const std::size_t index = static_cast<std::size_t>(j) * columns + i;
        if (!accepts(capsule.target, capsule.left, x, labels[index])) continue;
        if (distanceSquared < radiusSquared) {
          value[index] = capsule.hounsfield;
          labels[index] = static_cast<std::uint8_t>(capsule.label);
        } else if (!sameTree(static_cast<Label>(labels[index]), capsule.label)) {
          // A wall never cuts into the lumen of a joining tube.
          value[index] = capsule.wallHounsfield;
          labels[index] = static_cast<std::uint8_t>(capsule.wallLabel);
        }
      }
    }
  }

  // Spheres: rounded opacities, emphysema holes, ground glass and large opacity lobes.
  for (const Sphere& sphere : d.spheres) {
    if (sphere.zone >= 0 && d.zoneAt(sphere.left ? 1 : 0, z) != sphere.zone) continue;
    const double dz = z - sphere.centre.z;
    // The voxel nearest the centre always shows the object, so that objects
    // smaller than a voxel are not lost.
    const int nearestSlice = static_cast<int>(std::lround((d.firstZ - sphere.centre.z) / d.sliceSpacing));
    const bool nearestHere = nearestSlice == slice;
    if (std::abs(dz) > sphere.radius && !nearestHere) continue;
    const double planeRadius = std::sqrt(std::max(0.0, sphere.radius * sphere.radius - dz * dz));
    const int nearestColumn = static_cast<int>(std::lround(columnOf(sphere.centre.x)));
    const int nearestRow = static_cast<int>(std::lround(rowOf(sphere.centre.y)));
    int iFirst, iLast, jFirst, jLast;
    const bool any = clampRange(columnOf(sphere.centre.x - planeRadius), columnOf(sphere.centre.x + planeRadius), columns, iFirst, iLast) &&
                     clampRange(rowOf(sphere.centre.y - planeRadius), rowOf(sphere.centre.y + planeRadius), rows, jFirst, jLast);
    const auto paint = [&](int i, int j) {
      const double x = d.firstX + i * spacing;
      const std::size_t index = static_cast<std::size_t>(j) * columns + i;
      if (!accepts(sphere.target, sphere.left, x, labels[index])) return;
      if (sphere.label == labelOf(FindingKind::GroundGlass)) {
        value[index] = value[index] + 260.0f;  // parenchyma keeps its gradient
      } else {
        value[index] = sphere.hounsfield;
      }
      labels[index] = static_cast<std::uint8_t>(sphere.label);
    };
    if (any) {
      const double planeRadiusSquared = planeRadius * planeRadius;
      for (int j = jFirst; j <= jLast; ++j) {
        const double y = d.firstY + j * spacing - sphere.centre.y;
        for (int i = iFirst; i <= iLast; ++i) {
          const double x = d.firstX + i * spacing - sphere.centre.x;
          if (x * x + y * y <= planeRadiusSquared) paint(i, j);
        }
      }
    }
    if (nearestHere && nearestColumn >= 0 && nearestColumn < columns && nearestRow >= 0 && nearestRow < rows) {
      paint(nearestColumn, nearestRow);
    }
  }

  // Pleural regions, honeycombing and effusion, within their lung's outline.
  for (const Region& region : d.regions) {
    if (d.zoneAt(region.left ? 1 : 0, z) != region.zone) continue;
    if (region.kind != RegionKind::Effusion && std::abs(z - region.zCentre) > region.halfZ) continue;
    const int side = region.left ? 1 : 0;
    const SliceEllipse& e = lungAt[static_cast<std::size_t>(side)];
    if (!e.present) continue;
    const Label label = region.kind == RegionKind::Plaque ? labelOf(FindingKind::PleuralPlaque)
                        : region.kind == RegionKind::CalcifiedPlaque ? labelOf(FindingKind::CalcifiedPleuralPlaque)
                        : region.kind == RegionKind::DiffuseThickening ? labelOf(FindingKind::DiffusePleuralThickening)
                        : region.kind == RegionKind::Effusion ? labelOf(FindingKind::Effusion)
                                                              : labelOf(FindingKind::Honeycombing);
    int iFirst, iLast, jFirst, jLast;
    if (!clampRange(columnOf(e.centreX - e.halfWidth), columnOf(e.centreX + e.halfWidth), columns, iFirst, iLast)) continue;
    if (!clampRange(rowOf(e.centreY - e.halfDepth), rowOf(e.centreY + e.halfDepth), rows, jFirst, jLast)) continue;
    const double v = z - region.zCentre;
    // Effusion: a posterior layer that deepens towards the base.
    const double fill = 0.15 + 0.35 * (region.zMax - z) / std::max(1e-6, region.zMax - region.zMin);
    const double fluidLevel = e.centreY + e.halfDepth * (1.0 - 2.0 * fill);
    for (int j = jFirst; j <= jLast; ++j) {
      const double y = d.firstY + j * spacing;
      for (int i = iFirst; i <= iLast; ++i) {
        const double x = d.firstX + i * spacing;
        const std::size_t index = static_cast<std::size_t>(j) * columns + i;
        if (!accepts(Target::LungAny, region.left, x, labels[index])) continue;
        if (region.kind == RegionKind::Effusion) {
          if (y > fluidLevel) {
            value[index] = 12.0f;
            labels[index] = static_cast<std::uint8_t>(label);
          }
          continue;
        }
        const double depth = d.pleuralDepth(e, x, y, d.bodyDepth(x, y, z));
        const double dx = x - e.centreX, dy = y - e.centreY;
        const double radius = std::sqrt(dx * dx + dy * dy) + std::max(depth, 0.0);
        const double u = wrapAngle(std::atan2(dy, dx) - region.angle) * radius;
        const double shape = 1.0 - (u / region.halfArc) * (u / region.halfArc) - (v / region.halfZ) * (v / region.halfZ);
        if (shape <= 0) continue;
        if (region.kind == RegionKind::Honeycombing) {
          if (depth > region.thickness * std::min(1.0, 2.0 * std::sqrt(shape))) continue;
          // Clustered cysts: a jittered 6 mm grid of air cells with soft-tissue walls.
          constexpr double cell = 6.0;
          const double cx = std::floor(x / cell), cy = std::floor(y / cell), cz = std::floor(z / cell);
          double nearest = 1e9, cystRadius = 2.5;
          for (int oz = -1; oz <= 1; ++oz) {
            for (int oy = -1; oy <= 1; ++oy) {
              for (int ox = -1; ox <= 1; ++ox) {
                const auto key = static_cast<std::uint64_t>(static_cast<std::int64_t>(cx + ox) * 73856093LL ^
                                                            static_cast<std::int64_t>(cy + oy) * 19349663LL ^
                                                            static_cast<std::int64_t>(cz + oz) * 83492791LL);
                Random cellRandom(Random::mix(region.seed, key));
                const double px = (cx + ox + cellRandom.uniform(0.25, 0.75)) * cell - x;
                const double py = (cy + oy + cellRandom.uniform(0.25, 0.75)) * cell - y;
                const double pz = (cz + oz + cellRandom.uniform(0.25, 0.75)) * cell - z;
                const double distance = std::sqrt(px * px + py * py + pz * pz);
                const double r = cellRandom.uniform(2.6, 3.4);
                if (distance - r < nearest) {
                  nearest = distance - r;
                  cystRadius = r;
                }
              }
            }
          }
          (void)cystRadius;
          value[index] = nearest < 0 ? -960.0f : 10.0f;
          labels[index] = static_cast<std::uint8_t>(label);
          continue;
        }
        const bool diffuse = region.kind == RegionKind::DiffuseThickening;
        const double reach = region.thickness * (diffuse ? std::min(1.0, 3.0 * shape) : std::sqrt(shape));
        if (depth > reach) continue;
        float hu = 45.0f;
        if (region.kind == RegionKind::CalcifiedPlaque && depth < 0.5 * reach && shape > 0.25) hu = 700.0f;
        value[index] = hu;
        labels[index] = static_cast<std::uint8_t>(label);
      }
    }
  }

  // Noise and clamping to the 12-bit CT range.
  Random noise(Random::mix(d.seed ^ 0x5EED5EEDULL, static_cast<std::uint64_t>(slice)));
  const float sigma = static_cast<float>(std::max(0.0, d.options.noiseSigma));
  for (std::size_t k = 0; k < count; ++k) {
    const float noisy = value[k] + sigma * static_cast<float>(noise.normal());
    hounsfield[k] = static_cast<std::int16_t>(std::lround(std::clamp(noisy, -1024.0f, 3071.0f)));
  }
}

Volume ChestPhantom::renderVolume(unsigned threads) const {
  Volume volume;
  volume.columns = impl_->columns;
  volume.rows = impl_->rows;
  volume.slices = impl_->slices;
  volume.pixelSpacing = impl_->pixelSpacing;
  volume.sliceSpacing = impl_->sliceSpacing;
  const std::size_t sliceSize = static_cast<std::size_t>(volume.columns) * static_cast<std::size_t>(volume.rows);
  volume.hounsfield.resize(sliceSize * static_cast<std::size_t>(volume.slices));
  volume.labels.resize(volume.hounsfield.size());
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min<unsigned>(threads, static_cast<unsigned>(volume.slices));
  std::atomic<int> nextSlice{0};
  const auto work = [&] {
    for (int slice = nextSlice++; slice < volume.slices; slice = nextSlice++) {
      renderSlice(slice, volume.hounsfield.data() + sliceSize * static_cast<std::size_t>(slice),
                  volume.labels.data() + sliceSize * static_cast<std::size_t>(slice));
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads; ++t) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
  return volume;
}

std::vector<PlacedFinding> ChestPhantom::countFindingVoxels(const std::vector<std::uint8_t>& labels) const {
  const Impl& d = *impl_;
  std::array<std::array<std::int64_t, LungZoneCount>, FindingKindCount> counts{};
  const std::size_t sliceSize = static_cast<std::size_t>(d.columns) * static_cast<std::size_t>(d.rows);
  const std::size_t slices = std::min<std::size_t>(static_cast<std::size_t>(d.slices), labels.size() / std::max<std::size_t>(sliceSize, 1));
  for (std::size_t slice = 0; slice < slices; ++slice) {
    const double z = d.firstZ - static_cast<double>(slice) * d.sliceSpacing;
    const std::array<int, 2> zoneOfSide = {d.zoneAt(0, z), d.zoneAt(1, z)};
    const std::uint8_t* row = labels.data() + slice * sliceSize;
    for (std::size_t k = 0; k < sliceSize; ++k) {
      const int finding = row[k] - static_cast<int>(Label::FirstFinding);
      if (finding < 0 || finding >= FindingKindCount) continue;
      const int column = static_cast<int>(k % static_cast<std::size_t>(d.columns));
      const int side = d.firstX + column * d.pixelSpacing < 0 ? 0 : 1;
      ++counts[static_cast<std::size_t>(finding)][static_cast<std::size_t>(zoneOfSide[static_cast<std::size_t>(side)])];
    }
  }
  std::vector<PlacedFinding> result = d.placed;
  for (PlacedFinding& finding : result) {
    finding.voxels = counts[static_cast<std::size_t>(finding.kind)][static_cast<std::size_t>(finding.zone)];
  }
  return result;
}

}  // namespace VantorSyntheticCT
