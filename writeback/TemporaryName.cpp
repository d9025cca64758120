#include "writeback/TemporaryName.h"

#include "platform/TempFile.h"

#include <cstring>

namespace tw::writeback {

namespace {

struct Mark {
  TemporaryKind kind;
  std::string_view text;
};
constexpr Mark kMarks[] = {{TemporaryKind::NewContent, ".twtmp-"},
                           {TemporaryKind::PendingBackup, ".twbak-"},
                           {TemporaryKind::OldContent, ".twold-"},
                           {TemporaryKind::KeptOldContent, ".twkept-"}};
// Of the file's own name only this much is kept in front, for people who look at the folder.
constexpr size_t kNameShown = 48;
constexpr size_t kRandomLength = 8;
constexpr size_t kHashDigits = 16;

std::string_view markOf(TemporaryKind kind) {
  for (const Mark& mark : kMarks) {
    if (mark.kind == kind) return mark.text;
  }
  return kMarks[0].text;
}

void appendHex(std::string& out, uint64_t value, size_t digits = 0) {
  char buffer[16];
  size_t n = 0;
  do {
    buffer[n++] = "0123456789abcdef"[value & 15];
    value >>= 4;
  } while (value != 0);
  while (n < digits) buffer[n++] = '0';
  while (n > 0) out += buffer[--n];
}

// The mark that ends the file's name in `name`: the last one (what follows it holds no mark).
const Mark* findMark(std::string_view name, size_t& at) {
  const Mark* found = nullptr;
  for (const Mark& mark : kMarks) {
    const size_t here = name.rfind(mark.text);
    if (here == std::string_view::npos || here == 0) continue;
    if (found == nullptr || here > at) {
      found = &mark;
      at = here;
    }
  }
  return found;
}

// Reads hexadecimal digits (1 to 16) from `text` at `at` up to `end`; false if there are
// none, too many, or another character.
bool readHex(std::string_view text, size_t& at, char end, uint64_t& value) {
  value = 0;
  size_t digits = 0;
  for (; at < text.size() && text[at] != end; ++at, ++digits) {
    const char c = text[at];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0 || digits == 16) return false;
    value = value << 4 | static_cast<uint64_t>(digit);
  }
  return digits > 0 && (end == 0 ? at == text.size() : at < text.size());
}

bool readRecord(std::string_view text, size_t at, RewriteRecord& record) {
  uint64_t fields[8];
  for (int i = 0; i < 8; ++i) {
    if (!readHex(text, at, i < 7 ? '.' : 0, fields[i])) return false;
    ++at;
  }
  if (fields[7] > 1) return false;
  record.file = {fields[0], fields[1]};
  record.before = {static_cast<int64_t>(fields[2]), static_cast<int64_t>(fields[3]),
                   static_cast<int64_t>(fields[4])};
  record.newSize = static_cast<int64_t>(fields[5]);
  record.newHash = fields[6];
  record.forBackup = fields[7] == 1;
  return true;
}

// The part after the mark: "<hash>-<random>" and what the kind adds.
bool readTail(std::string_view tail, TemporaryName& parsed) {
  size_t at = 0;
  if (tail.size() < kHashDigits + 1 + kRandomLength) return false;
  if (!readHex(tail, at, '-', parsed.ownerHash) || at != kHashDigits) return false;
  for (size_t i = at + 1; i < at + 1 + kRandomLength; ++i) {
    const char c = tail[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  at += 1 + kRandomLength;
  if (parsed.kind == TemporaryKind::NewContent) return at == tail.size();
  if (at == tail.size() || tail[at] != '-') return false;
  ++at;
  if (parsed.kind == TemporaryKind::PendingBackup) return readHex(tail, at, 0, parsed.newInode);
  return readRecord(tail, at, parsed.rewrite);
}

}  // namespace

uint64_t nameHash(std::string_view fileName) {
  uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a
  for (unsigned char c : fileName) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

uint64_t contentHash(std::string_view bytes) {
  // Eight bytes at a time, each word mixed in with a multiplication: fast enough that the
  // hash of a big file costs little beside writing it.
  uint64_t hash = 0x9e3779b97f4a7c15ULL ^ bytes.size();
  size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    hash = (hash ^ word) * 0xff51afd7ed558ccdULL;
    hash ^= hash >> 29;
  }
  for (; at < bytes.size(); ++at) {
    hash = (hash ^ static_cast<unsigned char>(bytes[at])) * 0xc4ceb9fe1a85ec53ULL;
  }
  return hash ^ (hash >> 32);
}

std::string makeTemporaryName(std::string_view fileName, const TemporaryName& what) {
  std::string name = ".";
  name += fileName.substr(0, kNameShown);
  name += markOf(what.kind);
  appendHex(name, nameHash(fileName), kHashDigits);
  name += '-';
  name += platform::randomCharacters(kRandomLength);
  if (what.kind == TemporaryKind::NewContent) return name;
  name += '-';
  if (what.kind == TemporaryKind::PendingBackup) {
    appendHex(name, what.newInode);
    return name;
  }
  const RewriteRecord& r = what.rewrite;
  const uint64_t fields[] = {r.file.device,
                             r.file.inode,
                             static_cast<uint64_t>(r.before.size),
                             static_cast<uint64_t>(r.before.mtimeSec),
                             static_cast<uint64_t>(r.before.mtimeNsec),
                             static_cast<uint64_t>(r.newSize),
                             r.newHash,
                             r.forBackup ? 1u : 0u};
  for (size_t i = 0; i < std::size(fields); ++i) {
    if (i > 0) name += '.';
    appendHex(name, fields[i]);
  }
  return name;
}

std::string renamedTemporary(std::string_view name, TemporaryKind kind) {
  size_t at = 0;
  const Mark* mark = findMark(name, at);
  if (mark == nullptr) return std::string(name);
  std::string renamed(name.substr(0, at));
  renamed += markOf(kind);
  renamed += name.substr(at + mark->text.size());
  return renamed;
}

std::optional<TemporaryName> parseTemporaryName(std::string_view name) {
  if (name.size() < 2 || name[0] != '.') return std::nullopt;
  size_t at = 0;
  const Mark* mark = findMark(name, at);
  if (mark == nullptr) return std::nullopt;
  TemporaryName parsed;
  parsed.kind = mark->kind;
  if (!readTail(name.substr(at + mark->text.size()), parsed)) return std::nullopt;
  return parsed;
}

}  // namespace tw::writeback
