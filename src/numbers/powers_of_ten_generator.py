#!/usr/bin/env python3
"""Prints the tables of powers_of_ten.cpp.

Each entry is the 64-bit-significand value nearest to the exact power of ten
(ties to even), computed with Python's exact integers and written as a
hexadecimal literal 0xH.HHHHHHHHHHHHHHHp+E whose 16 hexadecimal digits are the
whole significand, so the compiler reads it without rounding.
"""


def nearest_literal(n):
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
    digits = '%016X' % significand
    return '0x%s.%sp%+dL' % (digits[0], digits[1:], exponent + 60)


def print_table(name, exponents):
    print('constexpr long double %s[] = {' % name)
    for n in exponents:
        print('    %s,  // 1e%d' % (nearest_literal(n), n))
    print('};')


if __name__ == '__main__':
    print_table('kSmall', range(0, 32))
    print_table('kMedium', range(32, 481, 32))
    print_table('kLarge', range(512, 4609, 512))
