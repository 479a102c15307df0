#include "io/reader.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <exception>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/kernel_runtime.h"
#include "core/platform.h"
#include "core/progress.h"
#include "core/problem_state.h"
#include "core/progress.h"
#include "io/data_file.h"
#include "io/fortran_io.h"
#include "io/generators.h"
#include "io/read_diagnosis.h"

namespace parvela {

namespace {

using Status = ListReader::Status;

constexpr std::size_t kProgressStep = 64 * 1024;  // bytes between checkpoints

void readError() { platform().messageBox("Eroare de citire in fisierul de date", "Error", IconKind::Error); }

void memoryError(const std::string& what) {
  platform().messageBox("Memorie insuficienta: " + what, "Error", IconKind::Error);
}

std::string num(std::int64_t v) { return std::to_string(v); }

// Progress of the read, about every 64 KiB of the file.
void readProgress(const ListReader& in, std::size_t total) {
  thread_local std::size_t reported = 0;
  const std::size_t at = in.position();
  if (at < reported || at - reported >= (std::size_t{1} << 16) || at >= total) {
    reported = at;
    checkpoint(Stage::Reading, static_cast<std::int64_t>(at), static_cast<std::int64_t>(total));
  }
}

ReadItem rowItem(std::size_t row, std::size_t n, std::size_t count, bool upper) {
  return ReadItem{ReadItem::Kind::MatrixRow, static_cast<std::int64_t>(row), static_cast<std::int64_t>(n), count,
                  upper};
}

// Swaps A with its transpose (n x n, in place).
void transposeSquare(float* A, std::size_t n) {
  constexpr std::size_t kBlock = 64;
  for (std::size_t jb = 0; jb < n; jb += kBlock)
    for (std::size_t ib = jb; ib < n; ib += kBlock)
      for (std::size_t j = jb; j < std::min(jb + kBlock, n); ++j)
        for (std::size_t i = std::max(ib, j + 1); i < std::min(ib + kBlock, n); ++i)
          std::swap(A[j * n + i], A[i * n + j]);
}

// From this order on a general matrix is read by two threads when the
// machine has them.
constexpr std::size_t kSplitOrder = 64;

// The rows of a general matrix (row i at A + i*n), the first half read as
// usual while a second thread reads the second half on the likely guess
// that every row is one line of plain numbers. The guess is kept only when
// it is sure to give what the reads one after another give: the first
// half ended exactly where the second half was taken to start, and every
// line of the second half had that form. Returns the number of rows read
// (n when both halves were kept) and, in `stopped`, the status of a read
// of the first half that did not complete (the end of the text, a bad
// value), which the caller handles as for any row. Rows not read are all
// zero, the second half's too when its guess fails.
std::size_t readRowsInHalves(ListReader& in, float* A, std::size_t n, Status& stopped, ReadDiagnosis& diag) {
  const std::string_view text = in.text();
  const std::size_t half = n / 2;
  const std::size_t start = in.position();
  std::atomic<bool> stop{false};
  std::size_t secondAt = std::string_view::npos, secondEnd = std::string_view::npos;
  std::vector<PlainRowRest> rests;  // second-half lines with values left over
  std::size_t firstRows = 0;
  std::exception_ptr failure;
  kernels::parallelRanges(0, 2, 1, 0, [&](std::size_t lo, std::size_t) {
    if (lo == 0) {
      try {
        // The two halves advance side by side.
        in.scaleProgress(2);
        for (; firstRows < half; ++firstRows) {
          stopped = in.readReals(std::span<float>(A + firstRows * n, n));
          diag.afterRead(rowItem(firstRows + 1, n, n, false), in, stopped);
          if (stopped != Status::Ok) break;
        }
      } catch (...) {
        failure = std::current_exception();
      }
      if (firstRows < half || failure) stop = true;
      return;
    }
    // The start of line `half` from here on.
    std::size_t at = start;
    for (std::size_t r = 0; r < half && at < text.size(); ++r) {
      const void* nl = std::memchr(text.data() + at, '\n', text.size() - at);
      at = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - text.data()) + 1 : text.size();
    }
    secondAt = at;
    secondEnd = readPlainRows(text, at, A + half * n, n, n - half, &stop, &rests);
  });
  in.scaleProgress(1);
  if (failure) std::rethrow_exception(failure);
  const bool kept = firstRows == half && secondEnd != std::string_view::npos && in.position() == secondAt;
  if (kept) {
    for (const PlainRowRest& r : rests)
      diag.afterRead(rowItem(half + r.row + 1, n, n, false),
                     ReadShape{r.lineStart, r.lineStart, 0, r.valuesEnd, n, false, true, 0, 0});
    in.skipTo(secondEnd);
    return n;
  }
  std::fill(A + half * n, A + n * n, 0.0f);
  return firstRows;
}

// Reads the matrix rows of a data file into A (or AV). Returns false after
// a bad value (not yet shown); sets atEnd when the file ended.
bool readMatrixRows(ListReader& in, ProblemState& s, bool& atEnd, ReadDiagnosis& diag) {
  const std::size_t n = static_cast<std::size_t>(s.n);
  float* A = s.A.data();

  if (s.matrixKind == MatrixKind::General) {
    // Row i goes into the contiguous stretch that is column i, so A holds
    // its transpose until the end. A row the file ends in (or that holds a
    // bad value) stays all zero.
    bool ok = true;
    std::size_t i = 0;
    Status stopped = Status::Ok;
    if (n >= kSplitOrder && kernels::threadCount() > 1) i = readRowsInHalves(in, A, n, stopped, diag);
    if (stopped != Status::Ok) {  // as the loop below handles it
      std::fill(A + i * n, A + (i + 1) * n, 0.0f);
      if (stopped == Status::End) {
        atEnd = true;
      } else {
        ok = false;
      }
    }
    for (; i < n && !atEnd && ok; ++i) {
      std::span<float> row(A + i * n, n);
      readProgress(in, in.size());
      const Status st = in.readReals(row);
      diag.afterRead(rowItem(i + 1, n, n, false), in, st);
      if (st == Status::Ok) continue;
      std::fill(row.begin(), row.end(), 0.0f);
      if (st == Status::End) {
        atEnd = true;
      } else {
        ok = false;
        break;
      }
    }
    transposeSquare(A, n);
    return ok;
  }

  // Symmetric: row i holds A(i,i..n).
  if (methodReadsPacked(s.methodIndex)) {
    // Straight into the packed upper triangle: A(i,j) at LOCA(i,j).
    std::vector<float> row(n);
    for (std::size_t i = 1; i <= n && !atEnd; ++i) {
      std::span<float> part(row.data(), n - i + 1);
      std::fill(part.begin(), part.end(), 0.0f);
      readProgress(in, in.size());
      const Status st = in.readReals(part);
      diag.afterRead(rowItem(i, n, part.size(), true), in, st);
      if (st == Status::End) {
        atEnd = true;
        break;
      }
      if (st == Status::Error) return false;
      for (std::size_t j = i; j <= n; ++j)
        s.AV[packedOffset(i, j)] = part[j - i];
    }
    return true;
  }

  // Full matrix: A(i,i..n) equals A(i..n,i), a contiguous stretch of
  // column i; the upper triangle is mirrored from it afterwards.
  bool ok = true;
  for (std::size_t i = 0; i < n && !atEnd; ++i) {
    std::span<float> part(A + i * n + i, n - i);
    readProgress(in, in.size());
    const Status st = in.readReals(part);
    diag.afterRead(rowItem(i + 1, n, part.size(), true), in, st);
    if (st == Status::Ok) continue;
    std::fill(part.begin(), part.end(), 0.0f);
    if (st == Status::End) {
      atEnd = true;
    } else {
      ok = false;
      break;
    }
  }
  // Upper from lower here, which is the lower triangle from the rows read.
  for (std::size_t j = 0; j < n; ++j)
    for (std::size_t i = j + 1; i < n; ++i) A[i * n + j] = A[j * n + i];
  return ok;
}

}  // namespace

namespace {

void readInputFile() {
  ProblemState& s = problem();
  s.dataRead = false;
  s.avFromRead = false;
  lastReadReport() = ReadReport{};

  DataFile& file = InputDataFile();
  if (!file.selected()) {
    platform().messageBox("Nu a fost selectat niciun fisier de date.", "Error", IconKind::Error);
    return;
  }
  if (!file.load()) {
    switch (file.loadError()) {
      case DataFile::LoadError::NoMemory:
        return memoryError("fisierul de date nu incape in memorie.");
      case DataFile::LoadError::NotRegular:
        platform().messageBox("Fisierul de date nu este un fisier obisnuit.", "Error", IconKind::Error);
        return;
      default:
        platform().messageBox("Fisierul de date nu poate fi citit.", "Error", IconKind::Error);
        return;
    }
  }

  ListReader in(file.contents());
  in.reportProgress(kProgressStep);
  // Where a read stops and what went differently, for the outcome of the
  // read; the message box stays the same.
  ReadDiagnosis diag(file.contents());
  const auto publish = [&] { lastReadReport() = ReadReport{file.path(), diag.stopped(), diag.warnings()}; };
  const auto fail = [&] {
    publish();
    readError();
  };
  using Kind = ReadItem::Kind;

  // The title: one whole line, not used further.
  std::string title;
  if (in.readLine(title, 100) != Status::Ok) {
    diag.afterRead(ReadItem{Kind::Title}, in, Status::End);
    return fail();
  }

  // n and nb; a slash before them keeps the values they had.
  std::int32_t sizes[2] = {s.n, s.nb};
  if (const Status st = in.readIntegers(sizes); st != Status::Ok) {
    diag.afterRead(ReadItem{Kind::Sizes, 0, 0, 2}, in, st);
    return fail();
  }
  diag.afterSizes(in, sizes[0], sizes[1]);
  const std::size_t sizesAt = in.lastShape().begin;
  s.n = sizes[0];
  s.nb = sizes[1];
  if (s.n < 1) {
    diag.stopAt(sizesAt, "n = " + num(s.n) + "; n trebuie sa fie cel putin 1");
    return fail();
  }
  if (s.problemKind == ProblemKind::System && s.nb < 1) {
    diag.stopAt(sizesAt, "nb = " + num(s.nb) + "; pentru \"Sistem\" nb trebuie sa fie cel putin 1");
    return fail();
  }

  const std::int64_t n = s.n;
  if (!allocateZeroed(s.A, n * n))
    return memoryError("matricea de ordin n = " + num(n) + " nu poate fi alocata.");

  bool atEnd = false;  // the file ended: what is left stays zero
  if (s.inputSource == InputSource::DataFile) {
    if (s.matrixKind == MatrixKind::Symmetric) {
      s.avAllocated = allocateZeroed(s.AV, n * (n + 1) / 2);
      if (!s.avAllocated)
        return memoryError("matricea simetrica de ordin n = " + num(n) + " nu poate fi alocata.");
    }
    if (!readMatrixRows(in, s, atEnd, diag)) return fail();

    if (s.invertElements) {
      std::vector<float>& target =
          (s.matrixKind == MatrixKind::Symmetric && methodReadsPacked(s.methodIndex)) ? s.AV : s.A;
      for (float& x : target) x = 1.0f / x;
    }
  } else {
    std::int32_t count[1] = {s.nc};
    const Status counted = in.readIntegers(count);
    diag.afterRead(ReadItem{Kind::ConstantCount, 0, 0, 1}, in, counted);
    if (counted != Status::Ok) return fail();
    const std::size_t countAt = in.lastShape().begin;
    s.nc = count[0];
    if (s.nc > 0) {
      if (!allocateZeroed(s.C, s.nc))
        return memoryError("cele nc = " + num(s.nc) + " constante nu pot fi alocate.");
      const Status st = in.readReals(s.C);
      diag.afterRead(ReadItem{Kind::Constants, 0, 0, static_cast<std::size_t>(s.nc)}, in, st);
      if (st == Status::Error) return fail();
      if (st == Status::End) atEnd = true;
    }

    // A generator must be chosen and given what it reads.
    const std::string_view name = generatorName(s.generatorIndex);
    if (name.empty()) {
      diag.stop("nu este aleasa nicio matrice in lista \"Generare\"");
      return fail();
    }
    if (const std::int32_t least = leastConstants(name, s.n); s.nc < least) {
      diag.stopAt(countAt, std::string(name) + " cere cel putin " + num(least) + " constante pentru n = " + num(s.n) +
                               ", dar nc = " + num(s.nc));
      return fail();
    }
    if (name == "Wilkinson 5" && s.n < 5) {
      diag.stopAt(sizesAt, "Wilkinson 5 cere n >= 5, dar n = " + num(s.n));
      return fail();
    }
    GEN_A(s.n, s.A.data(), s.nc, s.C.data(), s.GENERATA[static_cast<std::size_t>(s.generatorIndex)]);

    if (methodReadsPacked(s.methodIndex)) {
      s.avAllocated = allocateZeroed(s.AV, n * (n + 1) / 2);
      if (!s.avAllocated)
        return memoryError("matricea simetrica de ordin n = " + num(n) + " nu poate fi alocata.");
      const std::size_t nn = static_cast<std::size_t>(n);
      for (std::size_t j = 1; j <= nn; ++j)
        for (std::size_t i = 1; i <= j; ++i)
          s.AV[packedOffset(i, j)] = s.A[(j - 1) * nn + (i - 1)];
    }
  }

  if (s.problemKind == ProblemKind::System) {
    const std::int64_t nb = s.nb;
    if (!allocateZeroed(s.B, n * nb))
      return memoryError("termenii liberi (n = " + num(n) + ", nb = " + num(nb) + ") nu pot fi alocati.");
    for (std::int64_t ib = 0; ib < nb && !atEnd; ++ib) {
      readProgress(in, in.size());
      const Status st = in.readReals(std::span<float>(s.B.data() + ib * n, static_cast<std::size_t>(n)));
      diag.afterRead(ReadItem{Kind::Rhs, ib + 1, nb, static_cast<std::size_t>(n)}, in, st);
      if (st == Status::Error) return fail();
      if (st == Status::End) atEnd = true;
    }
  } else {
    // The right-hand sides of a system may follow the matrix. They are not
    // used, but when all nb of them read as numbers the data end after them,
    // so that the report does not take their place.
    if (!atEnd && s.nb >= 1) {
      ListReader probe = in;
      std::vector<float> rhs(static_cast<std::size_t>(n));
      bool all = true;
      for (std::int64_t ib = 0; ib < s.nb && all; ++ib) all = probe.readReals(rhs) == Status::Ok;
      if (all) in = probe;
    }
    s.nb = s.n;
    if (!allocateZeroed(s.B, n * n))
      return memoryError("matricea unitate de ordin n = " + num(n) + " nu poate fi alocata.");
    for (std::int64_t i = 0; i < n; ++i) s.B[static_cast<std::size_t>(i * n + i)] = 1.0f;
  }

  // Done: the whole text counts as read (the rest is an earlier report).
  const auto total = static_cast<std::int64_t>(file.contents().size());
  checkpoint(Stage::Reading, total, total);
  // What this read produced, for the runs that follow.
  s.readForSystem = s.problemKind == ProblemKind::System;
  s.avFromRead = s.avAllocated && methodReadsPacked(s.methodIndex) &&
                 (s.inputSource == InputSource::Generated || s.matrixKind == MatrixKind::Symmetric);
  publish();
  s.dataRead = true;
  file.markDataEnd(in.position());
}

}  // namespace

void READINPUTFILE() {
  try {
    readInputFile();
  } catch (const std::bad_alloc&) {
    ProblemState& s = problem();
    s.dataRead = false;
    s.avFromRead = false;
    memoryError("datele nu pot fi citite.");
  }
}

}  // namespace parvela
