// The yardstick for "tovrel /status": a console program that does nothing,
// timed from process creation until it has ended.
int wmain() {
    return 0;
}
