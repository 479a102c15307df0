#include "ui/core/notices.h"

#include <cstring>

namespace parvela {

namespace {

// 64-bit FNV-1a over whole words, then mixed: enough to tell a changed
// array from the one read, cheap for millions of elements.
class Digest {
 public:
  void add(std::uint64_t word) {
    h_ ^= word;
    h_ *= 0x100000001b3ULL;
  }
  void add(const std::vector<float>& v) {
    add(v.size());
    const std::size_t pairs = v.size() / 2;
    const float* p = v.data();
    for (std::size_t k = 0; k < pairs; ++k, p += 2) {
      std::uint64_t w;
      std::memcpy(&w, p, sizeof w);
      add(w);
    }
    if (v.size() % 2) {
      std::uint32_t w;
      std::memcpy(&w, p, sizeof w);
      add(w);
    }
  }
  std::uint64_t value() const {
    std::uint64_t x = h_;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
  }

 private:
  std::uint64_t h_ = 0xcbf29ce484222325ULL;
};

}  // namespace

ReadChoices ReadChoices::of(const ProblemState& s) {
  ReadChoices c;
  c.system = s.problemKind == ProblemKind::System;
  c.matrixKind = s.matrixKind;
  c.inputSource = s.inputSource;
  c.invertElements = s.inputSource == InputSource::DataFile && s.invertElements;
  c.generatorIndex = s.inputSource == InputSource::Generated ? s.generatorIndex : 0;
  // Only a symmetric or generated matrix gets its packed copy for Cholesky.
  c.cholesky = methodReadsPacked(s.methodIndex) &&
               !(s.matrixKind == MatrixKind::General && s.inputSource == InputSource::DataFile);
  return c;
}

std::vector<std::string> ReadChoices::differences(const ReadChoices& now) const {
  std::vector<std::string> names;
  if (system != now.system) names.emplace_back("problema");
  if (matrixKind != now.matrixKind) names.emplace_back("tipul matricii");
  if (inputSource != now.inputSource) names.emplace_back("sursa datelor");
  if (invertElements != now.invertElements && inputSource == now.inputSource)
    names.emplace_back("inversarea coeficientilor");
  if (generatorIndex != now.generatorIndex && inputSource == now.inputSource)
    names.emplace_back("generatorul");
  if (cholesky != now.cholesky) names.emplace_back("metoda Cholesky");
  return names;
}

std::uint64_t dataFingerprint(const ProblemState& s) {
  Digest d;
  d.add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(s.n)) << 32 | static_cast<std::uint32_t>(s.nb));
  d.add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(s.nc)) << 1 | (s.avAllocated ? 1u : 0u));
  d.add(s.A);
  d.add(s.AV);
  d.add(s.B);
  d.add(s.C);
  return d.value();
}

void NoticeRules::afterRead(const ProblemState& s, bool ok) {
  haveRead_ = ok;
  resultsInMemory_ = false;
  if (!ok) return;
  choices_ = ReadChoices::of(s);
  fingerprint_ = dataFingerprint(s);
}

void NoticeRules::afterRun(const ProblemState& s) {
  if (!haveRead_ || resultsInMemory_) return;
  resultsInMemory_ = dataFingerprint(s) != fingerprint_;
}

std::string NoticeRules::changedChoicesText(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k > 0) list += k + 1 == names.size() ? " si " : ", ";
    list += names[k];
  }
  return "Dupa citire s-a schimbat " + list +
         "; datele din memorie au fost citite cu alegerea anterioara. Citeste le reface din fisier.";
}

std::vector<std::string> NoticeRules::notices(const ProblemState& s) const {
  std::vector<std::string> out;
  if (!haveRead_ || !s.dataRead) return out;
  if (resultsInMemory_) out.emplace_back(kNoticeResultsInMemory);
  const std::vector<std::string> changed = choices_.differences(ReadChoices::of(s));
  if (!changed.empty()) out.push_back(changedChoicesText(changed));
  return out;
}

}  // namespace parvela
