// Building, writing and reading text ".x" meshes.
#include "xfile.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace assetgen {

XMesh extrudeOutline(const std::vector<std::array<float, 2>>& points, float thickness, const XMaterial& face,
                     const XMaterial& rim) {
  // Coinciding neighbours (where rounded corners meet) would make empty rim faces.
  std::vector<std::array<float, 2>> outline;
  for (const auto& p : points) {
    const auto& last = outline.empty() ? points.back() : outline.back();
    if (std::hypot(p[0] - last[0], p[1] - last[1]) > 1e-4f) outline.push_back(p);
  }
  XMesh mesh;
  mesh.materials = {face, rim};
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
  for (const auto& p : outline) {
    minX = std::min(minX, p[0]);
    maxX = std::max(maxX, p[0]);
    minY = std::min(minY, p[1]);
    maxY = std::max(maxY, p[1]);
  }
  const uint32_t n = static_cast<uint32_t>(outline.size());
  const float half = thickness * 0.5f;
  auto planar = [&](const std::array<float, 2>& p) {
    return std::array<float, 2>{(p[0] - minX) / (maxX - minX), (maxY - p[1]) / (maxY - minY)};
  };
  // Front (z = -half, seen from -z) and back (z = +half) caps as fans around the centre.
  for (int side = 0; side < 2; ++side) {
    const float z = side == 0 ? -half : half;
    const uint32_t centre = static_cast<uint32_t>(mesh.positions.size());
    mesh.positions.push_back({(minX + maxX) * 0.5f, (minY + maxY) * 0.5f, z});
    mesh.uvs.push_back(planar({(minX + maxX) * 0.5f, (minY + maxY) * 0.5f}));
    for (const auto& p : outline) {
      mesh.positions.push_back({p[0], p[1], z});
      auto uv = planar(p);
      if (side == 1) uv[0] = 1.0f - uv[0];  // the back shows the picture unmirrored from behind
      mesh.uvs.push_back(uv);
    }
    for (uint32_t i = 0; i < n; ++i) {
      const uint32_t a = centre + 1 + i, b = centre + 1 + (i + 1) % n;
      // The outline runs counter-clockwise seen from -z; clockwise there means centre, b, a.
      mesh.faces.push_back(side == 0 ? std::array<uint32_t, 3>{centre, b, a} : std::array<uint32_t, 3>{centre, a, b});
      mesh.faceMaterials.push_back(0);
    }
  }
  // Rim: one quad per outline edge, with its own vertices so that its edges stay sharp.
  for (uint32_t i = 0; i < n; ++i) {
    const auto& p = outline[i];
    const auto& q = outline[(i + 1) % n];
    const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
    mesh.positions.push_back({p[0], p[1], -half});
    mesh.positions.push_back({q[0], q[1], -half});
    mesh.positions.push_back({q[0], q[1], half});
    mesh.positions.push_back({p[0], p[1], half});
    for (float u : {0.0f, 1.0f, 1.0f, 0.0f}) mesh.uvs.push_back({u, 0.5f});
    mesh.faces.push_back({base, base + 1, base + 2});
    mesh.faces.push_back({base, base + 2, base + 3});
    mesh.faceMaterials.push_back(1);
    mesh.faceMaterials.push_back(1);
  }
  return mesh;
}

namespace {

Vec3 faceNormal(const XMesh& mesh, const std::array<uint32_t, 3>& f) {
  const Vec3& a = mesh.positions[f[0]];
  const Vec3& b = mesh.positions[f[1]];
  const Vec3& c = mesh.positions[f[2]];
  const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
  Vec3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
  const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (len > 0) n = {n.x / len, n.y / len, n.z / len};
  return n;
}

std::string number(float v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", std::fabs(v) < 5e-7f ? 0.0f : v);
  return buffer;
}

template <typename Item>
void writeList(std::ostringstream& out, const std::vector<Item>& items, void (*each)(std::ostringstream&, const Item&)) {
  for (size_t i = 0; i < items.size(); ++i) {
    out << "  ";
    each(out, items[i]);
    out << (i + 1 == items.size() ? ";\n" : ",\n");
  }
}

void writeVector(std::ostringstream& out, const Vec3& v) {
  out << number(v.x) << ';' << number(v.y) << ';' << number(v.z) << ';';
}

void writeFace(std::ostringstream& out, const std::array<uint32_t, 3>& f) {
  out << "3;" << f[0] << ',' << f[1] << ',' << f[2] << ';';
}

void writeUv(std::ostringstream& out, const std::array<float, 2>& uv) {
  out << number(uv[0]) << ';' << number(uv[1]) << ';';
}

}  // namespace

std::string writeX(const XMesh& mesh, const std::string& name) {
  std::ostringstream out;
  out << "xof 0302txt 0064\n\n";
  out << "Mesh " << name << " {\n  " << mesh.positions.size() << ";\n";
  writeList(out, mesh.positions, writeVector);
  out << "  " << mesh.faces.size() << ";\n";
  writeList(out, mesh.faces, writeFace);

  // Normals: each vertex takes the normal of the faces it belongs to (caps and rim quads have
  // their own vertices, so one face's normal is enough).
  std::vector<Vec3> normals(mesh.positions.size());
  for (const auto& f : mesh.faces) {
    const Vec3 n = faceNormal(mesh, f);
    for (uint32_t index : f) normals[index] = n;
  }
  out << "\n  MeshNormals {\n  " << normals.size() << ";\n";
  writeList(out, normals, writeVector);
  out << "  " << mesh.faces.size() << ";\n";
  writeList(out, mesh.faces, writeFace);
  out << "  }\n";

  out << "\n  MeshTextureCoords {\n  " << mesh.uvs.size() << ";\n";
  writeList(out, mesh.uvs, writeUv);
  out << "  }\n";

  out << "\n  MeshMaterialList {\n  " << mesh.materials.size() << ";\n  " << mesh.faceMaterials.size() << ";\n";
  for (size_t i = 0; i < mesh.faceMaterials.size(); ++i) {
    out << "  " << mesh.faceMaterials[i] << (i + 1 == mesh.faceMaterials.size() ? ";\n" : ",\n");
  }
  for (const XMaterial& m : mesh.materials) {
    out << "\n  Material {\n   " << number(m.diffuse[0]) << ';' << number(m.diffuse[1]) << ';' << number(m.diffuse[2])
        << ';' << number(m.diffuse[3]) << ";;\n   " << number(m.power) << ";\n   " << number(m.specular[0]) << ';'
        << number(m.specular[1]) << ';' << number(m.specular[2]) << ";;\n   " << number(m.emissive[0]) << ';'
        << number(m.emissive[1]) << ';' << number(m.emissive[2]) << ";;\n";
    if (!m.texture.empty()) out << "\n   TextureFilename {\n    \"" << m.texture << "\";\n   }\n";
    out << "  }\n";
  }
  out << "  }\n}\n";
  return out.str();
}

// ---- Reading ----

namespace {

class Reader {
 public:
  Reader(const std::string& text, size_t start) : text_(text), pos_(start) {}

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  void fail(const std::string& why) {
    if (error_.empty()) error_ = why + " (near byte " + std::to_string(pos_) + ")";
  }

  // Skips white space, comments and the list separators ',' and ';'.
  void skip(bool separators) {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (std::isspace(static_cast<unsigned char>(c)) || (separators && (c == ',' || c == ';'))) {
        ++pos_;
      } else if (c == '#' || (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/')) {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  bool atEnd() {
    skip(true);
    return pos_ >= text_.size();
  }

  char peek() {
    skip(true);
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  bool expect(char c) {
    if (peek() != c) {
      fail(std::string("expected '") + c + "'");
      return false;
    }
    ++pos_;
    return true;
  }

  std::string word() {
    skip(true);
    const size_t start = pos_;
    while (pos_ < text_.size() &&
           (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_' || text_[pos_] == '-' ||
            text_[pos_] == '.')) {
      ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }

  double number() {
    skip(true);
    const char* begin = text_.c_str() + pos_;
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin) {
      fail("expected a number");
      return 0;
    }
    pos_ += static_cast<size_t>(end - begin);
    return v;
  }

  // A count: a non-negative integer below a sanity limit.
  uint32_t count(uint32_t limit) {
    const double v = number();
    if (failed()) return 0;
    if (v < 0 || v > limit || v != std::floor(v)) {
      fail("count out of range");
      return 0;
    }
    return static_cast<uint32_t>(v);
  }

  std::string quoted() {
    skip(true);
    if (pos_ >= text_.size() || text_[pos_] != '"') {
      fail("expected a string");
      return {};
    }
    const size_t end = text_.find('"', pos_ + 1);
    if (end == std::string::npos) {
      fail("unterminated string");
      return {};
    }
    std::string s = text_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    return s;
  }

  // Skips a braced block whose '{' is next, including nested blocks and strings.
  void skipBlock() {
    if (!expect('{')) return;
    int depth = 1;
    while (pos_ < text_.size() && depth > 0) {
      const char c = text_[pos_++];
      if (c == '{') ++depth;
      if (c == '}') --depth;
      if (c == '"') {
        const size_t end = text_.find('"', pos_);
        pos_ = end == std::string::npos ? text_.size() : end + 1;
      }
    }
    if (depth > 0) fail("unbalanced braces");
  }

  // Skips a whole object: optional name, then its braced block.
  void skipObject() {
    if (peek() != '{') word();
    skipBlock();
  }

  // Opens an object: `[name] {`, skipping an optional GUID. Returns the name (may be empty).
  std::string open() {
    std::string name;
    if (peek() != '{') name = word();
    if (!expect('{')) return name;
    if (peek() == '<') {
      const size_t end = text_.find('>', pos_);
      pos_ = end == std::string::npos ? text_.size() : end + 1;
    }
    return name;
  }

 private:
  const std::string& text_;
  size_t pos_;
  std::string error_;
};

constexpr uint32_t kLimit = 1u << 22;

// Reads a face list; polygons become fans, as the loader splits them, and `triangles` (when
// given) receives how many triangles each listed face became.
void readFaces(Reader& in, std::vector<std::array<uint32_t, 3>>* faces, uint32_t vertexCount,
               std::vector<uint32_t>* triangles = nullptr) {
  const uint32_t count = in.count(kLimit);
  for (uint32_t i = 0; i < count && !in.failed(); ++i) {
    const uint32_t corners = in.count(64);
    if (corners < 3) in.fail("a face needs at least three corners");
    std::vector<uint32_t> index(corners);
    for (uint32_t& v : index) {
      v = in.count(kLimit);
      if (v >= vertexCount) in.fail("face index beyond the vertex list");
    }
    for (uint32_t k = 1; faces && k + 1 < corners && !in.failed(); ++k) faces->push_back({index[0], index[k], index[k + 1]});
    if (triangles) triangles->push_back(corners - 2);
  }
}

XMaterial readMaterial(Reader& in) {
  XMaterial m;
  for (float& v : m.diffuse) v = static_cast<float>(in.number());
  m.power = static_cast<float>(in.number());
  for (float& v : m.specular) v = static_cast<float>(in.number());
  for (float& v : m.emissive) v = static_cast<float>(in.number());
  while (!in.failed() && in.peek() != '}') {
    const std::string child = in.word();
    if (child.empty()) {
      in.fail("unexpected character in Material");
      break;
    }
    if (child == "TextureFilename" || child == "TextureFileName") {
      in.open();
      m.texture = in.quoted();
      in.expect('}');
    } else {
      in.skipObject();
    }
  }
  in.expect('}');
  return m;
}

void readMaterialList(Reader& in, XMesh& mesh, const std::map<std::string, XMaterial>& named,
                      const std::vector<uint32_t>& triangles) {
  const uint32_t materialCount = in.count(4096);
  const uint32_t indexCount = in.count(kLimit);
  if (!in.failed() && indexCount != triangles.size()) in.fail("material list length differs from the face count");
  for (uint32_t i = 0; i < indexCount && !in.failed(); ++i) {
    const uint32_t m = in.count(kLimit);
    if (m >= materialCount) in.fail("face material index beyond the material count");
    if (i < triangles.size()) mesh.faceMaterials.insert(mesh.faceMaterials.end(), triangles[i], m);
  }
  while (!in.failed() && in.peek() != '}') {
    if (in.peek() == '{') {  // reference to a named material
      in.expect('{');
      const std::string ref = in.word();
      in.expect('}');
      const auto it = named.find(ref);
      if (it == named.end()) in.fail("reference to unknown material " + ref);
      else mesh.materials.push_back(it->second);
      continue;
    }
    const std::string child = in.word();
    if (child == "Material") {
      in.open();
      mesh.materials.push_back(readMaterial(in));
    } else if (child.empty()) {
      in.fail("unexpected character in MeshMaterialList");
    } else {
      in.skipObject();
    }
  }
  in.expect('}');
  if (!in.failed() && mesh.materials.size() != materialCount) in.fail("material count disagrees with the list");
}

bool readMesh(Reader& in, XMesh& mesh, const std::map<std::string, XMaterial>& named) {
  const uint32_t vertexCount = in.count(kLimit);
  for (uint32_t i = 0; i < vertexCount && !in.failed(); ++i) {
    Vec3 v;
    v.x = static_cast<float>(in.number());
    v.y = static_cast<float>(in.number());
    v.z = static_cast<float>(in.number());
    mesh.positions.push_back(v);
  }
  std::vector<uint32_t> triangles;
  readFaces(in, &mesh.faces, vertexCount, &triangles);
  while (!in.failed() && in.peek() != '}') {
    const std::string child = in.word();
    if (child.empty()) {
      in.fail("unexpected character in Mesh");
    } else if (child == "MeshNormals") {
      in.open();
      const uint32_t normalCount = in.count(kLimit);
      for (uint32_t i = 0; i < normalCount * 3 && !in.failed(); ++i) in.number();
      readFaces(in, nullptr, normalCount);
      in.expect('}');
    } else if (child == "MeshTextureCoords") {
      in.open();
      const uint32_t uvCount = in.count(kLimit);
      if (uvCount != vertexCount) in.fail("texture coordinate count differs from the vertex count");
      for (uint32_t i = 0; i < uvCount && !in.failed(); ++i) {
        const float u = static_cast<float>(in.number());
        mesh.uvs.push_back({u, static_cast<float>(in.number())});
      }
      in.expect('}');
    } else if (child == "MeshMaterialList") {
      in.open();
      readMaterialList(in, mesh, named, triangles);
    } else {
      in.skipObject();
    }
  }
  in.expect('}');
  return !in.failed();
}

}  // namespace

bool parseX(const std::string& text, XMesh& mesh, std::string& error) {
  if (text.size() < 16 || text.compare(0, 4, "xof ") != 0 || text.compare(8, 4, "txt ") != 0) {
    error = "not a text .x file (header \"xof ....txt \" missing)";
    return false;
  }
  Reader in(text, 16);
  std::map<std::string, XMaterial> named;
  mesh = XMesh{};
  bool found = false;
  while (!in.failed() && !found && !in.atEnd()) {
    if (in.peek() == '}') {
      in.expect('}');
      continue;
    }
    const std::string kind = in.word();
    if (kind.empty()) {
      in.fail("unexpected character");
    } else if (kind == "template") {
      in.word();
      in.skipBlock();
    } else if (kind == "Mesh") {
      in.open();
      found = readMesh(in, mesh, named);
    } else if (kind == "Material") {
      const std::string name = in.open();
      named[name] = readMaterial(in);
    } else if (kind == "Frame") {
      in.open();  // descend: the Frame's children are read as top-level objects
    } else {
      in.skipObject();
    }
  }
  if (in.failed()) {
    error = in.error();
    return false;
  }
  if (!found) {
    error = "no Mesh object";
    return false;
  }
  if (mesh.faces.empty()) {
    error = "mesh has no faces";
    return false;
  }
  if (!mesh.faceMaterials.empty() && mesh.faceMaterials.size() != mesh.faces.size()) {
    error = "material list does not cover every face";
    return false;
  }
  return true;
}

}  // namespace assetgen
