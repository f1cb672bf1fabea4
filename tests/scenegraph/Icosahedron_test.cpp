#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <tuple>

#include "scenegraph/GeodesicMesh.h"
#include "scenegraph/Icosahedron.h"

namespace {

k_Vector3 normalisedMidpoint(const k_Vector3& a, const k_Vector3& b) {
    k_Vector3 m((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f);
    return m.normalize();
}

// Sign of the outward component of triangle t's face normal.
double facing(const k_Icosahedron& body, size_t t) {
    const auto& f = body.getFaces();
    const auto& v = body.getVertices();
    const k_Vector3 p = v[f[3 * t]];
    const k_Vector3 s = v[f[3 * t + 1]];
    const k_Vector3 r = v[f[3 * t + 2]];
    k_Vector3 n;
    n.cross(s - p, r - p); // counter-clockwise from outside -> points away from the centre
    return dot(n, p + s + r);
}

} // namespace

TEST(Icosahedron, CountsFollowTenTimesFourToTheNPlusTwo) {
    const size_t expected[4][2] = {{12, 20}, {42, 80}, {162, 320}, {642, 1280}};
    for (int n = 0; n < 4; ++n) {
        k_Icosahedron body(n);
        EXPECT_EQ(body.getVertices().size(), expected[n][0]) << n;
        EXPECT_EQ(body.getFaces().size(), 3 * expected[n][1]) << n;
        for (int index : body.getFaces()) {
            ASSERT_GE(index, 0);
            ASSERT_LT(static_cast<size_t>(index), body.getVertices().size());
        }
    }
}

TEST(Icosahedron, NegativeSubdivisionsBuildTheBareBody) {
    k_Icosahedron body(-3);
    EXPECT_EQ(body.getVertices().size(), 12u);
    EXPECT_EQ(body.getFaces().size(), 60u);
}

TEST(Icosahedron, PolesAndUnitLength) {
    k_Icosahedron bare(0);
    const auto& v0 = bare.getVertices();
    EXPECT_EQ(v0[0].x, 0.0f);
    EXPECT_EQ(v0[0].y, 0.0f);
    EXPECT_EQ(v0[0].z, 1.0f);
    EXPECT_EQ(v0[11].z, -1.0f);

    k_Icosahedron body(3);
    for (const k_Vector3& v : body.getVertices()) {
        // A few float ulps from the reciprocal and the three products.
        const double length =
            std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                      static_cast<double>(v.z) * v.z);
        EXPECT_NEAR(length, 1.0, 4e-7);
    }
}

TEST(Icosahedron, FirstPassSharesMidpointsAndTurnsTriangleZeroInward) {
    k_Icosahedron bare(0);
    k_Icosahedron body(1);
    const auto& b = bare.getVertices();
    const auto& v = body.getVertices();
    const auto& f = body.getFaces();

    // Triangle 0 is (2, 0, 1): m1 = mid(2, 0) -> 12, m2 = mid(0, 1) -> 13, m3 = mid(2, 1) -> 14.
    const k_Vector3 m1 = normalisedMidpoint(b[2], b[0]);
    EXPECT_EQ(v[12].x, m1.x);
    EXPECT_EQ(v[12].y, m1.y);
    EXPECT_EQ(v[12].z, m1.z);
    EXPECT_EQ(f[0], 14);
    EXPECT_EQ(f[1], 13);
    EXPECT_EQ(f[2], 12);
    // Its three corner triangles come right after the 20 centre triangles.
    const int corners[9] = {14, 12, 2, 12, 13, 0, 13, 14, 1};
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(f[60 + k], corners[k]) << k;
    }

    std::set<std::tuple<float, float, float>> distinct;
    for (const k_Vector3& p : body.getVertices()) {
        distinct.insert({p.x, p.y, p.z});
    }
    EXPECT_EQ(distinct.size(), v.size());
}

TEST(Icosahedron, EachPassReversesTheWinding) {
    for (int n = 0; n < 3; ++n) {
        k_Icosahedron body(n);
        const size_t triangles = body.getFaces().size() / 3;
        for (size_t t = 0; t < triangles; ++t) {
            if (n % 2 == 0) {
                ASSERT_GT(facing(body, t), 0.0) << "n=" << n << " t=" << t;
            } else {
                ASSERT_LT(facing(body, t), 0.0) << "n=" << n << " t=" << t;
            }
        }
    }
}

TEST(PlatonicBody, RadiusIsScaleLengthTimesFactor) {
    k_Icosahedron body(0);
    EXPECT_EQ(body.getRadius(), 0.0f); // never scaled: the scale vector is zero
    body.setScale(k_Vector3(3.0f, 0.0f, 4.0f));
    EXPECT_EQ(body.getRadius(), 5.0f);
    body.setRadiusFactor(0.5f);
    EXPECT_EQ(body.getRadius(), 2.5f);
    EXPECT_STREQ(body.getTypeName(), "Icosahedron");
}

// The path search's directions come from the mesh without a node: the same vectors in the
// same order as the drawn body's, and (for the search's three passes) the very bits its
// results were measured with.
TEST(GeodesicMesh, VerticesWithoutANodeAreTheBodysBitForBit) {
    for (int subdivisions = 0; subdivisions <= 3; ++subdivisions) {
        const k_Icosahedron body(subdivisions);
        const std::vector<k_Vector3> vertices = geodesicSphereVertices(subdivisions);
        ASSERT_EQ(vertices.size(), body.getVertices().size());
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            ASSERT_TRUE(exactlyEqual(vertices[i], body.getVertices()[i]))
                << subdivisions << ' ' << i;
        }
    }
    std::uint64_t digest = 14695981039346656037ull; // FNV-1a over the floats' bytes
    for (const k_Vector3& v : geodesicSphereVertices(3)) {
        for (float component : {v.x, v.y, v.z}) {
            unsigned char bytes[sizeof component];
            std::memcpy(bytes, &component, sizeof component);
            for (unsigned char byte : bytes) {
                digest = (digest ^ byte) * 1099511628211ull;
            }
        }
    }
    EXPECT_EQ(digest, 1319661295056198181u);
}
