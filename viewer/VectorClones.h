#pragma once

// Marks a per-pixel loop to be compiled twice, for AVX2 and for any x86-64,
// the better one chosen when the library loads.
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define VANTOR_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef VANTOR_VECTOR_CLONES
#define VANTOR_VECTOR_CLONES
#endif
