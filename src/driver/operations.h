#pragma once
// The driver's operations, one per command name. Only the analogue inputs
// are served; every other operation answers NotAvailable or the empty text,
// so that the whole vocabulary answers.
//
// Letters have fixed roles: e input, s output, a analogue, b binary; a
// leading n gives the unit or name text, a leading r reads an output back; a
// trailing d gives a real, a trailing s a single-precision real. The "std"
// entries repeat the base family for callers that expect that prefix.

#include <cstdint>

// Base family.
std::int32_t ea(std::int32_t channel);
const char* nea(std::int32_t channel);
double ead(std::int32_t channel);
const char* nead(std::int32_t channel);
std::int32_t sa(std::int32_t channel, std::int32_t value);
const char* nsa(std::int32_t channel);
std::int32_t rsa(std::int32_t channel);
double sad(std::int32_t channel, double value);
const char* nsad(std::int32_t channel);
double rsad(std::int32_t channel);
std::int32_t eb(std::int32_t channel);
const char* neb(std::int32_t channel);
std::int32_t sb(std::int32_t channel, std::int32_t value);
const char* nsb(std::int32_t channel);
std::int32_t rsb(std::int32_t channel);
const char* titre();
const char* detail();

// "std" family.
std::int32_t stdea(std::int32_t channel);
const char* stdnea(std::int32_t channel);
double stdead(std::int32_t channel);
float stdeas(std::int32_t channel);
const char* stdnead(std::int32_t channel);
std::int32_t stdsa(std::int32_t channel, std::int32_t value);
const char* stdnsa(std::int32_t channel);
std::int32_t stdrsa(std::int32_t channel);
double stdsad(std::int32_t channel, double value);
float stdsas(std::int32_t channel, float value);
const char* stdnsad(std::int32_t channel);
double stdrsad(std::int32_t channel);
float stdrsas(std::int32_t channel);
std::int32_t stdeb(std::int32_t channel);
const char* stdneb(std::int32_t channel);
std::int32_t stdsb(std::int32_t channel, std::int32_t value);
const char* stdnsb(std::int32_t channel);
std::int32_t stdrsb(std::int32_t channel);
const char* stdtitre();
const char* stddetail();
