#!/usr/bin/env python3
"""Prints the constants of crc32_pclmul.cpp.

The CRC is reflected, so each constant x^n mod P is bit-reversed (32 bits)
and shifted left by one: a carry-less product of two reflected values comes
out one bit short of where the unreflected product would be.
"""

P = 0x104C11DB7  # x^32 + ... + 1, the CRC-32 polynomial


def xpow_mod(n):
    r = 1
    for _ in range(n):
        r <<= 1
        if r & (1 << 32):
            r ^= P
    return r


def reflect(v, bits):
    return int(format(v, "0%db" % bits)[::-1], 2)


def fold_constant(n):
    return reflect(xpow_mod(n), 32) << 1


def poly_div(a, b):
    q = 0
    while a.bit_length() >= b.bit_length():
        s = a.bit_length() - b.bit_length()
        q |= 1 << s
        a ^= b << s
    return q


def main():
    print("kFold512 = {0x%X, 0x%X}" % (fold_constant(512 + 32), fold_constant(512 - 32)))
    print("kFold128 = {0x%X, 0x%X}" % (fold_constant(128 + 32), fold_constant(128 - 32)))
    print("kFold64  = {0x%X, 0}" % fold_constant(64))
    print("kBarrett = {0x%X, 0x%X}" % (reflect(P, 33), reflect(poly_div(1 << 64, P), 33)))


if __name__ == "__main__":
    main()
