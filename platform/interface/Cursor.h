// The system cursors, in the platform's 16 x 16 one-bit cursor data format, for
// be_app->SetCursor. The display shows the desktop's own hand and I-beam for them.
// Threading: constant data, any thread.
#ifndef _CURSOR_H
#define _CURSOR_H

extern const unsigned char B_HAND_CURSOR[];
extern const unsigned char B_I_BEAM_CURSOR[];

#endif
