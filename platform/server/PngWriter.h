// Writes a framebuffer as an RGB PNG file.
// Threading: any thread.
#ifndef _SERVER_PNG_WRITER_H
#define _SERVER_PNG_WRITER_H

#include "Framebuffer.h"

status_t WritePng(const Framebuffer& frame, const char* path);

#endif
