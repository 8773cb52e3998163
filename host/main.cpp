// Placeholder until the host is built.
int main() { return 2; }
