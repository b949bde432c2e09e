#include "cpl/FormStaticText.h"

ResizeMapSpan FormStaticText::ResizeMap()
{
    static const ResizeMapEntry map[] = {{IDC_STATIC_TEXT, kResizeGrow}};
    return MakeResizeMap(map);
}

LRESULT FormStaticText::OnInitForm(UINT, WPARAM, LPARAM, BOOL&)
{
    (void)SetDlgItemTextW(Hwnd(), IDC_STATIC_TEXT, text_.c_str());
    return TRUE;
}
