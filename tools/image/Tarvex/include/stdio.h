/* stdio.h: the standard input and output declarations of the stand-in toolchain */
#ifndef _STDIO_H
#define _STDIO_H

typedef unsigned int size_t;
typedef struct __file FILE;

#define EOF (-1)

int printf(const char *format, ...);
int sprintf(char *buffer, const char *format, ...);
int puts(const char *text);
int putchar(int c);
int getchar(void);

#endif
