// The peer of the benchmarks: OpenBLAS with its LAPACK, Fortran calling
// convention (hidden string lengths last), declared by hand so that no
// header package is needed.
#pragma once

#include <cstddef>

extern "C" {
void sgesv_(const int* n, const int* nrhs, float* a, const int* lda, int* ipiv, float* b, const int* ldb, int* info);
void sgetrf_(const int* m, const int* n, float* a, const int* lda, int* ipiv, int* info);
void sgetrs_(const char* trans, const int* n, const int* nrhs, const float* a, const int* lda, const int* ipiv,
             float* b, const int* ldb, int* info, std::size_t);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetrs_(const char* trans, const int* n, const int* nrhs, const double* a, const int* lda, const int* ipiv,
             double* b, const int* ldb, int* info, std::size_t);
void spptrf_(const char* uplo, const int* n, float* ap, int* info, std::size_t);
void spptrs_(const char* uplo, const int* n, const int* nrhs, const float* ap, float* b, const int* ldb, int* info,
             std::size_t);
void spotrf_(const char* uplo, const int* n, float* a, const int* lda, int* info, std::size_t);
void spotrs_(const char* uplo, const int* n, const int* nrhs, const float* a, const int* lda, float* b,
             const int* ldb, int* info, std::size_t);
void sgemm_(const char* ta, const char* tb, const int* m, const int* n, const int* k, const float* alpha,
            const float* a, const int* lda, const float* b, const int* ldb, const float* beta, float* c,
            const int* ldc, std::size_t, std::size_t);
void sgemv_(const char* t, const int* m, const int* n, const float* alpha, const float* a, const int* lda,
            const float* x, const int* incx, const float* beta, float* y, const int* incy, std::size_t);
void cgemv_(const char* t, const int* m, const int* n, const void* alpha, const void* a, const int* lda,
            const void* x, const int* incx, const void* beta, void* y, const int* incy, std::size_t);
void openblas_set_num_threads(int);
char* openblas_get_corename(void);
}
