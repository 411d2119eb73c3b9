#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace zelvane::devsim {

// The steps a simulated device plays one after another, starting again from the first
// after the last: a demo device keeps scanning and weighing until it is stopped.
template <typename Step>
class CyclicScript {
 public:
  explicit CyclicScript(std::vector<Step> steps) : m_steps(std::move(steps)) {}

  // The step to play now; null for an empty script, whose device only acts on cue.
  const Step* Next() {
    if (m_steps.empty()) return nullptr;
    const Step& step = m_steps[m_next];
    m_next = (m_next + 1) % m_steps.size();
    return &step;
  }

 private:
  std::vector<Step> m_steps;
  std::size_t m_next = 0;
};

}  // namespace zelvane::devsim
