#include "core/steps.h"

namespace parvela {

namespace detail {
constinit thread_local StepListener* tlsStepListener = nullptr;
}  // namespace detail

StepScope::StepScope(StepListener* listener) : previous_(detail::tlsStepListener) {
  detail::tlsStepListener = listener;
}

StepScope::~StepScope() { detail::tlsStepListener = previous_; }

void publishBreakdown(std::int32_t n, std::int32_t step, float value, float threshold) {
  StepListener* l = stepListener();
  if (!l) return;
  StepEvent e;
  e.kind = StepKind::Breakdown;
  e.detail = useStepKernels(n) ? StepDetail::Full : StepDetail::Summary;
  e.n = n;
  e.step = step;
  e.pivot = value;
  e.threshold = threshold;
  l->step(e);
}

void publishDeterminant(std::int32_t n, std::int32_t step, double factor, double product,
                        std::int32_t interchanges) {
  StepListener* l = stepListener();
  if (!l) return;
  StepEvent e;
  e.kind = StepKind::Determinant;
  e.detail = useStepKernels(n) ? StepDetail::Full : StepDetail::Summary;
  e.n = n;
  e.step = step;
  e.pivot = static_cast<float>(factor);
  e.value = product;
  e.interchanges = interchanges;
  l->step(e);
}

}  // namespace parvela
