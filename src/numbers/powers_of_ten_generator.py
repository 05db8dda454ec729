#!/usr/bin/env python3
"""Prints the tables of powers_of_ten.cpp.

Each entry is the 64-bit-significand value nearest to the exact power of ten
(ties to even), computed with Python's exact integers and written as a
pair {significand, exponent} of integers (value = significand x 2^exponent,
the significand normalised to 64 bits), which both versions of the
double-extended type read exactly.
"""


def nearest_parts(n):
    power = 10**n
    shift = power.bit_length() - 64
    if shift <= 0:
        significand, exponent = power << -shift, shift
    else:
        quotient, remainder = divmod(power, 1 << shift)
        half = 1 << (shift - 1)
        if remainder > half or (remainder == half and quotient & 1):
            quotient += 1
        if quotient == 1 << 64:
            quotient >>= 1
            shift += 1
        significand, exponent = quotient, shift
    return '{0x%016X, %d}' % (significand, exponent)


def print_table(name, exponents):
    print('constexpr PowerParts %s[] = {' % name)
    for n in exponents:
        print('    %s,  // 1e%d' % (nearest_parts(n), n))
    print('};')


if __name__ == '__main__':
    print_table('kSmall', range(0, 32))
    print_table('kMedium', range(32, 481, 32))
    print_table('kLarge', range(512, 4609, 512))
