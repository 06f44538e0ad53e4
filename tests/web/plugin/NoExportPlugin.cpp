// A library without the business entry point.
extern "C" int SomethingElse()
{
    return 42;
}
