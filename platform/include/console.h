// The platform's console output, modal message box and fatal exit.
#ifndef ZORV_CONSOLE_H
#define ZORV_CONSOLE_H

// Writes the text to standard output as it is and flushes every stream.
void print_text(const char* text);
// A box with the title, the text and one OK button, shown by an external
// message program; on the console when no such program can run. Returns when
// it was dismissed. Nothing happens when either argument is null.
void show_message_box(const char* title, const char* text);
// Tears the window and display down, prints the text (when given) and ends
// the process with status 255.
[[noreturn]] void fatal_exit(const char* text);

// The message program tried first when it can be opened for reading;
// otherwise "xmessage" is looked up on the shell's path.
extern const char* message_box_preferred_program;

#endif
