// Placeholder until the simulator is built.
int main() { return 2; }
