#pragma once

// One visitor of a std::variant out of several lambdas, one for each kind.
template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;
