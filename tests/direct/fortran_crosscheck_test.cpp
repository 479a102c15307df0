// The kernels against a plain Fortran transcription of the same algorithms
// (trial interchanges done literally, loops in their textbook order),
// compared bit for bit on random matrices. Skipped without gfortran.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/problem_state.h"
#include "direct/cholesky.h"
#include "direct/gauss.h"
#include "direct/lu.h"
#include "io/fortran_io.h"

namespace parvela {
namespace {

const char* kFortranSource = R"(
module kernels
  implicit none
contains
  integer function loca(i, j)
    integer, intent(in) :: i, j
    loca = (j - 1) * j / 2 + i
  end function

  subroutine elim(n, nb, a, b, prag, ierr, npiv)
    integer :: n, nb, ierr, npiv, k, i, j, r, l
    real :: a(n, n), b(n, nb), prag, p, m, s, t
    ierr = 0
    do k = 1, n - 1
      p = a(k, k); r = k
      do i = k + 1, n
        if (abs(a(i, k)) > abs(p)) then
          p = a(i, k); r = i
        end if
      end do
      if (abs(p) < prag) then
        ierr = -1; return
      end if
      if (r /= k) then
        do j = 1, n
          t = a(k, j); a(k, j) = a(r, j); a(r, j) = t
        end do
        do j = 1, nb
          t = b(k, j); b(k, j) = b(r, j); b(r, j) = t
        end do
        npiv = npiv + 1
      end if
      do i = k + 1, n
        if (a(i, k) /= 0.0) then
          m = a(i, k) / a(k, k)
          do j = k + 1, n
            a(i, j) = a(i, j) - m * a(k, j)
          end do
          do j = 1, nb
            b(i, j) = b(i, j) - m * b(k, j)
          end do
          a(i, k) = m
        end if
      end do
    end do
    if (abs(a(n, n)) < prag) then
      ierr = -1; return
    end if
    do k = 1, nb
      b(n, k) = b(n, k) / a(n, n)
      do i = n - 1, 1, -1
        s = 0.0
        do l = i + 1, n
          s = s + a(i, l) * b(l, k)
        end do
        b(i, k) = (b(i, k) - s) / a(i, i)
      end do
    end do
  end subroutine

  subroutine swap_row(n, a, order, i, j)
    integer :: n, order(n), i, j, t, c
    real :: a(n, n), row(n)
    do c = 1, n
      row(c) = a(i, c)
    end do
    do c = 1, n
      a(i, c) = a(j, c)
    end do
    do c = 1, n
      a(j, c) = row(c)
    end do
    t = order(i); order(i) = order(j); order(j) = t
  end subroutine

  subroutine compute_a_ii(n, a, k, v)
    integer :: n, k, m
    real :: a(n, n), v
    double precision :: s
    s = 0d0
    do m = 1, k - 1
      s = s + dble(a(k, m)) * dble(a(m, k))
    end do
    v = real(dble(a(k, k)) - s)
  end subroutine

  subroutine apvt(a, n, order, k, swaps)
    integer :: n, order(n), k, swaps, i, chosen
    real :: a(n, n), best, c
    best = 0.0; chosen = k
    do i = k, n
      if (i > k) call swap_row(n, a, order, k, i)
      if (k == 1) then
        c = a(1, 1)
      else
        call compute_a_ii(n, a, k, c)
      end if
      if (abs(c) > abs(best)) then
        chosen = i; best = c
      end if
      if (i > k) call swap_row(n, a, order, i, k)
    end do
    if (chosen > k) then
      call swap_row(n, a, order, k, chosen)
      swaps = swaps + 1
    end if
  end subroutine

  subroutine ludecomp(a, n, order, ierr, swaps)
    integer :: n, order(n), ierr, swaps, i, j, k, m
    real :: a(n, n)
    real, parameter :: prag = 1.0e-8
    double precision :: s
    ierr = 0
    do i = 1, n
      order(i) = i
    end do
    call apvt(a, n, order, 1, swaps)
    if (abs(a(1, 1)) < prag) then
      ierr = -1; return
    end if
    do j = 2, n
      a(j, 1) = a(j, 1) / a(1, 1)
    end do
    do k = 2, n
      if (k < n) call apvt(a, n, order, k, swaps)
      do j = k, n
        s = 0d0
        do m = 1, k - 1
          s = s + dble(a(k, m)) * dble(a(m, j))
        end do
        a(k, j) = real(dble(a(k, j)) - s)
      end do
      if (abs(a(k, k)) < prag) then
        ierr = -1; return
      end if
      do i = k + 1, n
        s = 0d0
        do m = 1, k - 1
          s = s + dble(a(i, m)) * dble(a(m, k))
        end do
        a(i, k) = real((dble(a(i, k)) - s) / dble(a(k, k)))
      end do
    end do
  end subroutine

  subroutine lusolve(lu, b, n, x, order)
    integer :: n, order(n), i, m
    real :: lu(n, n), b(n), x(n)
    double precision :: s
    do i = 1, n
      x(i) = b(order(i))
    end do
    do i = 2, n
      s = 0d0
      do m = 1, i - 1
        s = s + dble(lu(i, m)) * dble(x(m))
      end do
      x(i) = real(dble(x(i)) - s)
    end do
    x(n) = x(n) / lu(n, n)
    do i = n - 1, 1, -1
      s = 0d0
      do m = i + 1, n
        s = s + dble(lu(i, m)) * dble(x(m))
      end do
      x(i) = real((dble(x(i)) - s) / dble(lu(i, i)))
    end do
  end subroutine

  subroutine cholesky(n, s, status)
    integer :: n, status, i, j, k
    real :: s(*), d, sm, t
    status = 0
    d = s(1)
    if (d <= 0.0) then
      status = -1; return
    end if
    s(1) = sqrt(d)
    do i = 2, n
      s(loca(1, i)) = s(loca(1, i)) / s(1)
    end do
    do j = 2, n
      sm = 0.0
      do k = 1, j - 1
        sm = sm + s(loca(k, j)) * s(loca(k, j))
      end do
      d = s(loca(j, j)) - sm
      if (d <= 0.0) then
        status = -1; return
      end if
      s(loca(j, j)) = sqrt(d)
      do i = j + 1, n
        t = 0.0
        do k = 1, j - 1
          t = t + s(loca(k, j)) * s(loca(k, i))
        end do
        s(loca(j, i)) = (s(loca(j, i)) - t) / s(loca(j, j))
      end do
    end do
  end subroutine

  subroutine forward(n, s, b)
    integer :: n, j, k
    real :: s(*), b(n), sm
    b(1) = b(1) / s(1)
    do j = 2, n
      sm = 0.0
      do k = 1, j - 1
        sm = sm + s(loca(k, j)) * b(k)
      end do
      b(j) = (b(j) - sm) / s(loca(j, j))
    end do
  end subroutine

  subroutine back(n, s, b)
    integer :: n, i, k
    real :: s(*), b(n), sm
    b(n) = b(n) / s(loca(n, n))
    do i = n - 1, 1, -1
      sm = 0.0
      do k = i + 1, n
        sm = sm + s(loca(i, k)) * b(k)
      end do
      b(i) = (b(i) - sm) / s(loca(i, i))
    end do
  end subroutine
end module

program crosscheck
  use kernels
  implicit none
  integer :: method, n, nb, ios, ierr, npiv, k, i, j
  integer, allocatable :: ia(:), ib(:), order(:)
  real, allocatable :: a(:, :), b(:, :), x(:), s(:)
  do
    read (*, *, iostat=ios) method, n, nb
    if (ios /= 0) exit
    allocate (ia(n * n), ib(n * nb), a(n, n), b(n, nb), x(n), order(n), s(n * (n + 1) / 2))
    read (*, *) ia
    read (*, *) ib
    a = reshape(transfer(ia, 1.0, n * n), [n, n])
    b = reshape(transfer(ib, 1.0, n * nb), [n, nb])
    npiv = 0
    select case (method)
    case (1)
      call elim(n, nb, a, b, 1.0e-6, ierr, npiv)
    case (2)
      call ludecomp(a, n, order, ierr, npiv)
      if (ierr == 0) then
        do k = 1, nb
          call lusolve(a, b(:, k), n, x, order)
          b(:, k) = x
        end do
      end if
    case (3)
      do j = 1, n
        do i = 1, j
          s(loca(i, j)) = a(i, j)
        end do
      end do
      call cholesky(n, s, ierr)
      if (ierr == 0) then
        do k = 1, nb
          call forward(n, s, b(:, k))
          call back(n, s, b(:, k))
        end do
      end if
      a = 0.0
      do j = 1, n
        do i = 1, j
          a(i, j) = s(loca(i, j))
        end do
      end do
    end select
    write (*, '(i0, 1x, i0)') ierr, npiv
    write (*, '(i0)') transfer(reshape(a, [n * n]), 1, n * n)
    write (*, '(i0)') transfer(reshape(b, [n * nb]), 1, n * nb)
    deallocate (ia, ib, a, b, x, order, s)
  end do
end program
)";

std::uint32_t bits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

struct Case {
  int method;
  std::int32_t n, nb;
  std::vector<float> A, B;
};

struct Result {
  std::int32_t ierr = 0, count = 0;
  std::vector<float> A, B;
};

Result runOurs(const Case& c) {
  Result r;
  r.A = c.A;
  r.B = c.B;
  const std::size_t n = static_cast<std::size_t>(c.n);
  if (c.method == 1) {
    ELIM(c.n, c.nb, r.A.data(), r.B.data(), 1.0E-6f, r.ierr, r.count);
  } else if (c.method == 2) {
    std::vector<std::int32_t> order(n);
    std::vector<float> x(n);
    r.count = 0;
    LUDECOMP(r.A.data(), c.n, order.data(), r.ierr, r.count);
    if (r.ierr == 0) {
      for (std::int32_t k = 0; k < c.nb; ++k) {
        LUSOLVE(r.A.data(), r.B.data() + k * n, c.n, x.data(), order.data());
        std::copy(x.begin(), x.end(), r.B.begin() + k * n);
      }
    }
  } else {
    std::vector<float> S(n * (n + 1) / 2);
    for (std::size_t j = 1; j <= n; ++j)
      for (std::size_t i = 1; i <= j; ++i) S[LOCA(i, j) - 1] = c.A[(j - 1) * n + i - 1];
    SUB_CHOLESKY_S(c.n, S.data(), r.ierr);
    if (r.ierr == 0) {
      for (std::int32_t k = 0; k < c.nb; ++k) {
        FORWARD(c.n, S.data(), r.B.data() + k * n);
        BACK(c.n, S.data(), r.B.data() + k * n);
      }
    }
    std::fill(r.A.begin(), r.A.end(), 0.0f);
    for (std::size_t j = 1; j <= n; ++j)
      for (std::size_t i = 1; i <= j; ++i) r.A[(j - 1) * n + i - 1] = S[LOCA(i, j) - 1];
  }
  return r;
}

std::vector<Case> makeCases() {
  std::mt19937 gen(20240611);
  std::vector<Case> cases;
  for (int method = 1; method <= 3; ++method) {
    for (int rep = 0; rep < 60; ++rep) {
      Case c;
      c.method = method;
      c.n = 1 + static_cast<std::int32_t>(gen() % 9);
      c.nb = 1 + static_cast<std::int32_t>(gen() % 3);
      const std::size_t n = static_cast<std::size_t>(c.n);
      c.A.resize(n * n);
      c.B.resize(n * c.nb);
      const int style = rep % 3;  // small integers (ties, zeros), reals, wide range
      std::uniform_real_distribution<float> uni(-1.0f, 1.0f);
      auto draw = [&]() -> float {
        if (style == 0) return static_cast<float>(static_cast<int>(gen() % 7) - 3);
        if (style == 1) return uni(gen);
        return std::ldexp(uni(gen), static_cast<int>(gen() % 30) - 15);
      };
      for (float& v : c.A) v = draw();
      for (float& v : c.B) v = draw();
      if (method == 3 && rep % 4 != 3) {
        // Symmetric positive definite: M^T M plus a diagonal shift.
        std::vector<float> M = c.A;
        for (std::size_t j = 0; j < n; ++j)
          for (std::size_t i = 0; i < n; ++i) {
            float s = 0;
            for (std::size_t k = 0; k < n; ++k) s = s + M[i * n + k] * M[j * n + k];
            c.A[j * n + i] = s + (i == j ? 0.5f : 0.0f);
          }
      }
      cases.push_back(std::move(c));
    }
  }
  return cases;
}

TEST(FortranCrossCheck, KernelsMatchBitForBit) {
  if (std::system("gfortran --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no gfortran";
  const auto dir = std::filesystem::temp_directory_path() /
                   ("parvela_direct_xcheck_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto src = dir / "crosscheck.f90";
  const auto exe = dir / "crosscheck";
  std::ofstream(src) << kFortranSource;
  const std::string compile = "gfortran -O0 -ffp-contract=off -J '" + dir.string() + "' -o '" + exe.string() + "' '" +
                              src.string() + "' > '" + (dir / "compile.log").string() + "' 2>&1";
  ASSERT_EQ(std::system(compile.c_str()), 0) << "see " << (dir / "compile.log");

  const auto cases = makeCases();
  {
    std::ofstream in(dir / "in.txt");
    for (const Case& c : cases) {
      in << c.method << ' ' << c.n << ' ' << c.nb << '\n';
      for (float v : c.A) in << static_cast<std::int32_t>(bits(v)) << '\n';
      for (float v : c.B) in << static_cast<std::int32_t>(bits(v)) << '\n';
    }
  }
  const std::string run = "'" + exe.string() + "' < '" + (dir / "in.txt").string() + "' > '" +
                          (dir / "out.txt").string() + "'";
  ASSERT_EQ(std::system(run.c_str()), 0);

  std::ifstream out(dir / "out.txt");
  int failures = 0;
  for (std::size_t ci = 0; ci < cases.size(); ++ci) {
    const Case& c = cases[ci];
    Result theirs;
    out >> theirs.ierr >> theirs.count;
    auto readArray = [&out](std::vector<float>& v, std::size_t count) {
      v.resize(count);
      for (float& f : v) {
        std::int64_t u = 0;
        out >> u;
        const std::uint32_t w = static_cast<std::uint32_t>(u);
        std::memcpy(&f, &w, 4);
      }
    };
    readArray(theirs.A, c.A.size());
    readArray(theirs.B, c.B.size());
    ASSERT_TRUE(out.good()) << "output ended at case " << ci;
    const Result ours = runOurs(c);
    bool same = ours.ierr == theirs.ierr && ours.count == theirs.count;
    for (std::size_t p = 0; p < c.A.size(); ++p) same = same && bits(ours.A[p]) == bits(theirs.A[p]);
    if (ours.ierr == 0)
      for (std::size_t p = 0; p < c.B.size(); ++p) same = same && bits(ours.B[p]) == bits(theirs.B[p]);
    if (!same && ++failures <= 5) {
      ADD_FAILURE() << "case " << ci << ": method " << c.method << " n " << c.n << " nb " << c.nb
                    << " ierr " << ours.ierr << "/" << theirs.ierr << " count " << ours.count
                    << "/" << theirs.count;
    }
  }
  EXPECT_EQ(failures, 0);
  ReportFile().clear();
  StdOut().clear();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace parvela
