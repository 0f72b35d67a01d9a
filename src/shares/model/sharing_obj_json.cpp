#include "sharing_obj_json.h"

#include "sharing_obj.h"

void SharingObjJson::fill(const SharingObj &share)
{
    tag = share.tag();
    path = share.path();
    isdir = share.isdir() ? 1 : 0;
    isupload = share.isupload() ? 1 : 0;
    isdownload = share.isdownload() ? 1 : 0;
    isenabled = share.isenabled() ? 1 : 0;
    password = share.password();
    UploadAutoChangeName = share.UploadAutoChangeName();
    DefaultView = share.DefaultView();
    isanonyaccess = share.isanonyaccess() ? 1 : 0;
    ctime = share.ctime();
    isfiledel = share.isfiledel() ? 1 : 0;
}
