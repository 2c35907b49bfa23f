; greet: prints the greeting count times
        .global _greet
_greet:
        rts
