#include "TFormSkyfence.h"
#include "TSkyfenceApplication.h"
#include "TerminationSignals.h"
#include "imaging/TExtBitmap.h"
#include "platform/ExecutablePath.h"
#include "platform/Mbcs.h"

int main(int argc, char** argv) {
    TSkyfenceApplication application(argc, argv);
    InitDegreeSign();
    RegisterExtBitmap();
    int result = 0;
    {
        TFormSkyfence form(ExecutableFolder());
        const TerminationSignals termination([&form] { form.close(); });
        form.show();
        result = application.exec();
    }
    ClearDegreeSign();
    return result;
}
