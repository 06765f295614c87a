// Preloaded by the benchmark into the program for one of its figures: every fsync returns at once, without making
// anything durable, so that the time the program spends on other things can be held against the awk script alone.
extern "C" int fsync(int) {
    return 0;
}
