// A loadable module without "CreateObject".

extern "C" int plainAnswer()
{
    return 42;
}
