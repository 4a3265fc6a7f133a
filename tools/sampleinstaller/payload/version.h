/* The version of every program and library of the sample's payload. */
#define ZARN_SAMPLE_VERSION 1,0,0,1
#define ZARN_SAMPLE_VERSION_TEXT "1.0.0.1"
