// How our heading/pitch/bank triples map onto the peer library used in the
// benchmarks: Imath::Euler<double>(V3d(pitch, heading, bank), ZXY, XYZLayout),
// a static-frame order, whose rotation matrix (Imath multiplies row vectors)
// has the rows right, up, forward of our frame. The benchmarks compare our
// chain with an Imath chain built on this mapping, so it must hold exactly as
// stated, and for angles of any size.
#include <Imath/ImathEuler.h>
#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "rotation/angle_constants.h"
#include "rotation/angle_triple.h"
#include "rotation/key_kernels.h"
#include "rotation/rotation_frame.h"

namespace {

using KeyFrame::AngleTriple;
using KeyFrame::RotationFrame;
using KeyFrame::Vector3;

Imath::Eulerd to_imath(const AngleTriple &a, Imath::Eulerd::Order order = Imath::Eulerd::ZXY) {
  return Imath::Eulerd(Imath::V3d(a.pitch, a.heading, a.bank), order, Imath::Eulerd::XYZLayout);
}

AngleTriple from_imath(const Imath::Eulerd &e) {
  const Imath::V3d xyz = e.toXYZVector();
  return {xyz.y, xyz.x, xyz.z};
}

double row_distance(const Imath::M33d &m, int row, const Vector3 &v) {
  return std::fmax(std::fabs(m[row][0] - v.x),
                   std::fmax(std::fabs(m[row][1] - v.y), std::fabs(m[row][2] - v.z)));
}

// Largest difference between the Imath matrix and the rows right, up, forward.
double frame_distance(const Imath::M33d &m, const RotationFrame &f) {
  return std::fmax(row_distance(m, 0, f.right),
                   std::fmax(row_distance(m, 1, f.up), row_distance(m, 2, f.forward)));
}

// Triples spread over several turns in each channel, plus the quarter-turn
// pitches where heading and bank share an axis.
std::vector<AngleTriple> sample_triples() {
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> angle(-3 * KeyFrame::kTwoPi, 3 * KeyFrame::kTwoPi);
  std::vector<AngleTriple> out;
  for (int i = 0; i < 20000; ++i) out.push_back({angle(rng), angle(rng), angle(rng)});
  for (double pitch : {KeyFrame::kHalfPi, -KeyFrame::kHalfPi, KeyFrame::kPi, 0.0}) {
    out.push_back({0.4, pitch, -1.1});
    out.push_back({-2.9, pitch, 2.2});
  }
  return out;
}

TEST(ImathMapping, StaticZxyMatrixRowsAreRightUpForward) {
  for (const AngleTriple &a : sample_triples()) {
    const Imath::M33d m = to_imath(a).toMatrix33();
    ASSERT_LT(frame_distance(m, KeyFrame::build_frame(a)), 1e-13)
        << "h=" << a.heading << " p=" << a.pitch << " b=" << a.bank;
  }
}

// The mapping is specific: any other static order, or the same axes read in
// the other layout, gives a different frame for a general triple. Guards the
// comparison above against a tolerance or a helper that accepts anything.
TEST(ImathMapping, NoOtherStaticOrderOrLayoutMatches) {
  const AngleTriple a{0.7, -0.4, 1.3};
  const RotationFrame frame = KeyFrame::build_frame(a);
  for (Imath::Eulerd::Order order :
       {Imath::Eulerd::XYZ, Imath::Eulerd::XZY, Imath::Eulerd::YZX, Imath::Eulerd::YXZ, Imath::Eulerd::ZYX}) {
    EXPECT_GT(frame_distance(to_imath(a, order).toMatrix33(), frame), 1e-3) << "order " << order;
  }
  const Imath::Eulerd ijk(Imath::V3d(a.pitch, a.heading, a.bank), Imath::Eulerd::ZXY,
                          Imath::Eulerd::IJKLayout);
  EXPECT_GT(frame_distance(ijk.toMatrix33(), frame), 1e-3);
}

// The way back, as the peer benchmark uses it: Imath's Euler extracted from
// that matrix, read as (heading, pitch, bank), builds the same frame again.
TEST(ImathMapping, ExtractedEulerRebuildsTheFrame) {
  for (const AngleTriple &a : sample_triples()) {
    if (std::fabs(std::cos(a.pitch)) < 1e-6) continue;  // heading and bank share an axis there
    Imath::Eulerd e(Imath::Eulerd::ZXY);
    e.extract(to_imath(a).toMatrix33());
    const AngleTriple back = from_imath(e);
    const RotationFrame original = KeyFrame::build_frame(a);
    const Imath::M33d rebuilt = to_imath(back).toMatrix33();
    ASSERT_LT(frame_distance(rebuilt, original), 1e-12)
        << "h=" << a.heading << " p=" << a.pitch << " b=" << a.bank;
  }
}

// Both chains do the same job on a flipping spin: every key keeps its
// orientation and follows the previous one without a jump. Away from the
// quarter-turn pitches the two solutions are far apart, so both pick the same
// triple and the same turns.
TEST(ImathMapping, MakeNearChainAgreesWithAlignKeyChainOnAFlippingSpin) {
  AngleTriple ours{0.0, 0.0, 0.0};
  Imath::Eulerd theirs(Imath::V3d(0.0, 0.0, 0.0), Imath::Eulerd::ZXY, Imath::Eulerd::XYZLayout);
  for (int k = 1; k < 3000; ++k) {
    AngleTriple key{0.01 * k, 0.5 * std::sin(0.003 * k), -0.02 * k};
    if (k % 3 == 1) key = {key.heading + KeyFrame::kPi, KeyFrame::kPi - key.pitch, key.bank + KeyFrame::kPi};
    if (k % 5 == 2) key.heading += 2 * KeyFrame::kTwoPi;

    AngleTriple aligned = key;
    KeyFrame::align_key(ours, aligned);
    Imath::Eulerd next(Imath::Eulerd::ZXY);
    next.extract(to_imath(key).toMatrix33());
    next.makeNear(theirs);

    const AngleTriple peer = from_imath(next);
    ASSERT_NEAR(aligned.heading, peer.heading, 1e-9) << "key " << k;
    ASSERT_NEAR(aligned.pitch, peer.pitch, 1e-9) << "key " << k;
    ASSERT_NEAR(aligned.bank, peer.bank, 1e-9) << "key " << k;
    ASSERT_NEAR(aligned.heading, 0.01 * k, 1e-9) << "key " << k;  // the unflipped spin
    ours = aligned;
    theirs = next;
  }
}

}  // namespace
