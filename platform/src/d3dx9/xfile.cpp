// Text .x reader: a tokenizer over the file's bytes and a recursive-descent parser for the data
// objects the engine's models use. Separators (',' and ';') between values are read leniently,
// since exporters differ in how many they write. Every count is checked against the bytes that
// remain and every index against its array, so a damaged file ends in D3DXERR_INVALIDDATA.
#include "d3dx9/xfile.h"
#include "d3dx9tex.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <strings.h>

namespace platform::d3dx9 {
namespace {

struct ParseError {};

// Deeper nesting than this is treated as damage rather than followed.
constexpr int kMaxDepth = 64;

enum class TokenKind { Word, String, Guid, OpenBrace, CloseBrace, Separator, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  Token Next() {
    SkipSpaceAndComments();
    if (pos_ >= text_.size()) return {TokenKind::End, {}};
    char c = text_[pos_];
    if (c == '{' || c == '}' || c == ';' || c == ',') {
      ++pos_;
      TokenKind kind = c == '{' ? TokenKind::OpenBrace : c == '}' ? TokenKind::CloseBrace : TokenKind::Separator;
      return {kind, text_.substr(pos_ - 1, 1)};
    }
    if (c == '"') return Delimited('"', TokenKind::String);
    if (c == '<') return Delimited('>', TokenKind::Guid);
    size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && !IsPunctuation(text_[pos_])) ++pos_;
    if (pos_ == start) throw ParseError{};  // a stray '>'
    return {TokenKind::Word, text_.substr(start, pos_ - start)};
  }

  size_t Remaining() const { return text_.size() - pos_; }

 private:
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
  static bool IsPunctuation(char c) {
    return c == '{' || c == '}' || c == ';' || c == ',' || c == '"' || c == '<' || c == '>';
  }

  void SkipSpaceAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      bool comment = c == '#' || (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/');
      if (comment) {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (IsSpace(c)) {
        ++pos_;
      } else {
        return;
      }
    }
  }

  Token Delimited(char close, TokenKind kind) {
    size_t end = text_.find(close, pos_ + 1);
    if (end == std::string_view::npos) throw ParseError{};
    Token token{kind, text_.substr(pos_ + 1, end - pos_ - 1)};
    pos_ = end + 1;
    return token;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

bool SameName(std::string_view a, const char* b) {
  size_t length = std::strlen(b);
  return a.size() == length && strncasecmp(a.data(), b, length) == 0;
}

// A frame of the file's hierarchy with its own transform and what it holds.
struct XFrame {
  D3DXMATRIX local = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  std::vector<XMesh> meshes;
  std::vector<std::unique_ptr<XFrame>> children;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : tokens_(text) {}

  void ParseFile(XFrame* root) {
    for (;;) {
      Token token = tokens_.Next();
      if (token.kind == TokenKind::End) return;
      if (token.kind == TokenKind::Separator) continue;
      if (token.kind != TokenKind::Word) throw ParseError{};
      ParseObject(token.text, root, 0);
    }
  }

 private:
  // After the type name: an optional object name, '{', an optional GUID, then the body.
  void ParseObject(std::string_view type, XFrame* frame, int depth) {
    if (depth > kMaxDepth) throw ParseError{};
    std::string_view name;
    Token token = tokens_.Next();
    if (token.kind == TokenKind::Word) {
      name = token.text;
      token = tokens_.Next();
    }
    if (token.kind != TokenKind::OpenBrace) throw ParseError{};
    if (SameName(type, "template")) return SkipBody();
    if (SameName(type, "Frame")) return ParseFrame(frame, depth);
    if (SameName(type, "FrameTransformMatrix")) return ParseMatrix(&frame->local);
    if (SameName(type, "Mesh")) {
      frame->meshes.emplace_back();
      return ParseMesh(&frame->meshes.back(), depth);
    }
    if (SameName(type, "Material")) {
      XMaterial material;
      ParseMaterial(&material, depth);
      if (!name.empty()) namedMaterials_[std::string(name)] = material;
      return;
    }
    SkipBody();
  }

  void ParseFrame(XFrame* parent, int depth) {
    parent->children.push_back(std::make_unique<XFrame>());
    XFrame* frame = parent->children.back().get();
    ParseChildren([&](std::string_view type) { ParseObject(type, frame, depth + 1); },
                  [](std::string_view) {});
  }

  void ParseMatrix(D3DXMATRIX* matrix) {
    for (int i = 0; i < 16; ++i) matrix->m[i / 4][i % 4] = ReadFloat();
    ExpectBodyEnd();
  }

  void ParseMesh(XMesh* mesh, int depth) {
    DWORD vertexCount = ReadCount();
    mesh->positions.resize(vertexCount);
    for (D3DXVECTOR3& p : mesh->positions) p = ReadVector3();
    ReadPolygons(&mesh->faces, vertexCount);
    ParseChildren(
        [&](std::string_view type) {
          if (depth + 1 > kMaxDepth) throw ParseError{};
          ExpectOpen();
          if (SameName(type, "MeshNormals")) return ParseNormals(mesh);
          if (SameName(type, "MeshTextureCoords")) return ParseTexCoords(mesh);
          if (SameName(type, "MeshMaterialList")) return ParseMaterialList(mesh, depth + 1);
          SkipBody();
        },
        [](std::string_view) {});
  }

  void ParseNormals(XMesh* mesh) {
    mesh->normals.resize(ReadCount());
    for (D3DXVECTOR3& n : mesh->normals) n = ReadVector3();
    ReadPolygons(&mesh->normalFaces, static_cast<DWORD>(mesh->normals.size()));
    if (mesh->normalFaces.counts != mesh->faces.counts) throw ParseError{};
    SkipBody();
  }

  void ParseTexCoords(XMesh* mesh) {
    mesh->texCoords.resize(ReadCount());
    if (mesh->texCoords.size() != mesh->positions.size()) throw ParseError{};
    for (D3DXVECTOR2& t : mesh->texCoords) {
      t.x = ReadFloat();
      t.y = ReadFloat();
    }
    SkipBody();
  }

  // Material count, face-index count, the indices (fewer than the faces: the last one repeats),
  // then Material objects or references to named ones.
  void ParseMaterialList(XMesh* mesh, int depth) {
    DWORD materialCount = ReadCount();
    DWORD indexCount = ReadCount();
    if (indexCount > mesh->faces.size() || (indexCount == 0 && mesh->faces.size() > 0)) throw ParseError{};
    mesh->faceMaterials.resize(mesh->faces.size());
    for (DWORD i = 0; i < indexCount; ++i) mesh->faceMaterials[i] = ReadIndex(materialCount);
    for (size_t i = indexCount; i < mesh->faces.size(); ++i) mesh->faceMaterials[i] = mesh->faceMaterials[indexCount - 1];
    ParseChildren(
        [&](std::string_view type) {
          if (!SameName(type, "Material")) return ParseObject(type, &scratch_, depth + 1);
          Token token = tokens_.Next();
          if (token.kind == TokenKind::Word) token = tokens_.Next();
          if (token.kind != TokenKind::OpenBrace) throw ParseError{};
          mesh->materials.emplace_back();
          ParseMaterial(&mesh->materials.back(), depth + 1);
        },
        [&](std::string_view reference) {
          auto found = namedMaterials_.find(std::string(reference));
          if (found == namedMaterials_.end()) throw ParseError{};
          mesh->materials.push_back(found->second);
        });
    if (mesh->materials.size() != materialCount) throw ParseError{};
  }

  void ParseMaterial(XMaterial* material, int depth) {
    D3DMATERIAL9& m = material->material;
    m.Diffuse = {ReadFloat(), ReadFloat(), ReadFloat(), ReadFloat()};
    m.Power = ReadFloat();
    m.Specular = {ReadFloat(), ReadFloat(), ReadFloat(), 1.0f};
    m.Emissive = {ReadFloat(), ReadFloat(), ReadFloat(), 1.0f};
    ParseChildren(
        [&](std::string_view type) {
          if (depth + 1 > kMaxDepth) throw ParseError{};
          ExpectOpen();
          if (!SameName(type, "TextureFilename") && !SameName(type, "TextureFileName")) return SkipBody();
          Token name = NextValue();
          if (name.kind != TokenKind::String) throw ParseError{};
          material->textureFileName = std::string(name.text);
          SkipBody();
        },
        [](std::string_view) {});
  }

  // Reads nested objects and references up to the closing brace of the current body.
  template <typename OnObject, typename OnReference>
  void ParseChildren(OnObject onObject, OnReference onReference) {
    for (;;) {
      Token token = tokens_.Next();
      switch (token.kind) {
        case TokenKind::CloseBrace:
          return;
        case TokenKind::Separator:
          continue;
        case TokenKind::OpenBrace: {
          Token name = tokens_.Next();
          if (name.kind != TokenKind::Word && name.kind != TokenKind::Guid) throw ParseError{};
          Token close = tokens_.Next();
          if (close.kind == TokenKind::Guid) close = tokens_.Next();
          if (close.kind != TokenKind::CloseBrace) throw ParseError{};
          onReference(name.text);
          continue;
        }
        case TokenKind::Word:
          onObject(token.text);
          continue;
        default:
          throw ParseError{};
      }
    }
  }

  void ReadPolygons(XPolygons* polygons, DWORD indexLimit) {
    DWORD count = ReadCount();
    polygons->starts.resize(count);
    polygons->counts.resize(count);
    for (DWORD i = 0; i < count; ++i) {
      DWORD corners = ReadCount();
      if (corners < 3) throw ParseError{};
      polygons->starts[i] = static_cast<DWORD>(polygons->corners.size());
      polygons->counts[i] = corners;
      for (DWORD c = 0; c < corners; ++c) polygons->corners.push_back(ReadIndex(indexLimit));
    }
  }

  // Skips the rest of a body whose opening brace was read, nested braces included.
  void SkipBody() {
    for (int depth = 1; depth > 0;) {
      Token token = tokens_.Next();
      if (token.kind == TokenKind::End) throw ParseError{};
      if (token.kind == TokenKind::OpenBrace) ++depth;
      if (token.kind == TokenKind::CloseBrace) --depth;
    }
  }

  void ExpectOpen() {
    Token token = tokens_.Next();
    if (token.kind == TokenKind::Word) token = tokens_.Next();
    if (token.kind != TokenKind::OpenBrace) throw ParseError{};
  }

  void ExpectBodyEnd() {
    Token token = NextValue();
    if (token.kind != TokenKind::CloseBrace) throw ParseError{};
  }

  // The next token that is not a separator.
  Token NextValue() {
    Token token = tokens_.Next();
    while (token.kind == TokenKind::Separator) token = tokens_.Next();
    return token;
  }

  std::string_view NextNumberText() {
    Token token = NextValue();
    if (token.kind != TokenKind::Word || token.text.size() >= 64) throw ParseError{};
    return token.text;
  }

  float ReadFloat() {
    char buffer[64];
    std::string_view text = NextNumberText();
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    char* end = nullptr;
    float value = std::strtof(buffer, &end);
    if (end != buffer + text.size()) throw ParseError{};
    return value;
  }

  DWORD ReadUnsigned() {
    std::string_view text = NextNumberText();
    uint64_t value = 0;
    for (char c : text) {
      if (c < '0' || c > '9') throw ParseError{};
      value = value * 10 + static_cast<uint64_t>(c - '0');
      if (value > 0xFFFFFFFFu) throw ParseError{};
    }
    return static_cast<DWORD>(value);
  }

  // A count of following items: each needs at least two bytes of text, so a larger count
  // cannot be honest and is refused before anything is allocated for it.
  DWORD ReadCount() {
    DWORD count = ReadUnsigned();
    if (count > tokens_.Remaining() / 2) throw ParseError{};
    return count;
  }

  DWORD ReadIndex(DWORD limit) {
    DWORD index = ReadUnsigned();
    if (index >= limit) throw ParseError{};
    return index;
  }

  D3DXVECTOR3 ReadVector3() {
    float x = ReadFloat(), y = ReadFloat();
    return D3DXVECTOR3(x, y, ReadFloat());
  }

  Tokenizer tokens_;
  std::map<std::string, XMaterial> namedMaterials_;
  XFrame scratch_;  // receives objects of unexpected kinds inside a material list
};

bool IsTextHeader(std::string_view text) {
  if (text.size() < 16 || text.substr(0, 4) != "xof ") return false;
  std::string_view format = text.substr(8, 4), floatSize = text.substr(12, 4);
  return format == "txt " && (floatSize == "0032" || floatSize == "0064");
}

// Moves a mesh from its frame's space into the root space.
void TransformMesh(XMesh* mesh, const D3DXMATRIX& world) {
  if (D3DXMatrixIsIdentity(&world)) return;
  for (D3DXVECTOR3& p : mesh->positions) D3DXVec3TransformCoord(&p, &p, &world);
  D3DXMATRIX normalMatrix;
  if (D3DXMatrixInverse(&normalMatrix, nullptr, &world)) D3DXMatrixTranspose(&normalMatrix, &normalMatrix);
  else normalMatrix = world;
  for (D3DXVECTOR3& n : mesh->normals) {
    D3DXVec3TransformNormal(&n, &n, &normalMatrix);
    D3DXVec3Normalize(&n, &n);
  }
}

void CollectMeshes(XFrame* frame, const D3DXMATRIX& parentWorld, std::vector<XMesh>* meshes) {
  D3DXMATRIX world = frame->local * parentWorld;
  for (XMesh& mesh : frame->meshes) {
    TransformMesh(&mesh, world);
    meshes->push_back(std::move(mesh));
  }
  for (auto& child : frame->children) CollectMeshes(child.get(), world, meshes);
}

}  // namespace

HRESULT ParseXFile(std::string_view text, std::vector<XMesh>* meshes) {
  if (!IsTextHeader(text)) return D3DXERR_INVALIDDATA;
  XFrame root;
  try {
    Parser(text.substr(16)).ParseFile(&root);
  } catch (const ParseError&) {
    return D3DXERR_INVALIDDATA;
  }
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  CollectMeshes(&root, identity, meshes);
  return meshes->empty() ? D3DXERR_LOADEDMESHHASNODATA : S_OK;
}

}  // namespace platform::d3dx9
