// Mask bits of a log call and the message codes the logger broadcasts.
#pragma once

// A log line is written only when every bit of its mask is set in LogLevel.
#define LOGMASK_NOLINEEND 0x00100000UL  // text written without line-end normalisation
#define LOGMASK_TRACE     0x01000000UL  // application trace
#define LOGMASK_SCOPE     0x04000000UL  // procedure enter and leave lines
#define LOGMASK_ERROR     0x08000000UL  // error line: adds the error decoration

// Codes broadcast through zvMessage.
#define ZV_MSG_LOG_STARTED 4UL
#define ZV_MSG_LOG_ENDING  8UL
