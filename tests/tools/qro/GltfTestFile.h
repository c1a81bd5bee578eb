#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// A small, independent reader of the glTF files that qro writes, for tests:
// the JSON, the binary buffer (a GLB's BIN chunk or the .bin a .gltf names),
// accessor values and node transforms. It reads only what the tests look at
// and fails (a message in `error`) on anything it does not understand.
class GltfTestFile {
public:
    using Matrix = std::array<std::array<double, 4>, 4>; // [row][column], column vectors

    bool Load(const std::string& path, std::string& error);

    const nlohmann::json& Json() const { return m_json; }
    const std::vector<uint8_t>& Binary() const { return m_binary; }

    // Every component of every element, in order, as doubles.
    std::vector<double> Read(int accessor) const;
    int ComponentsOf(int accessor) const;
    // The node's transform below the scene root (parents applied).
    Matrix WorldOf(int node) const;
    int ParentOf(int node) const;
    int NodeNamed(const std::string& name) const;

    static Matrix LocalOf(const nlohmann::json& node);
    static Matrix Multiply(const Matrix& a, const Matrix& b);
    static std::array<double, 3> Apply(const Matrix& m, const std::array<double, 3>& p);

private:
    nlohmann::json m_json;
    std::vector<uint8_t> m_binary;
};
