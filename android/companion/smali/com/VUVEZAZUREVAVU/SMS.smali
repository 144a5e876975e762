# The activity the desktop starts. It hands the start's extras (NUM, MSG, TESTMSG, or none) to
# SendService and finishes at once: it has no window, and the sending goes on in the service
# after the phone's screen is back to what it showed before.
.class public Lcom/VUVEZAZUREVAVU/SMS;
.super Landroid/app/Activity;
.source "SMS.smali"


.method public constructor <init>()V
    .registers 1

    invoke-direct {p0}, Landroid/app/Activity;-><init>()V

    return-void
.end method

.method protected onCreate(Landroid/os/Bundle;)V
    .registers 5

    invoke-super {p0, p1}, Landroid/app/Activity;->onCreate(Landroid/os/Bundle;)V

    :try_start
    new-instance v0, Landroid/content/Intent;
    const-class v1, Lcom/VUVEZAZUREVAVU/SendService;
    invoke-direct {v0, p0, v1}, Landroid/content/Intent;-><init>(Landroid/content/Context;Ljava/lang/Class;)V

    invoke-virtual {p0}, Lcom/VUVEZAZUREVAVU/SMS;->getIntent()Landroid/content/Intent;
    move-result-object v1
    invoke-virtual {v0, v1}, Landroid/content/Intent;->putExtras(Landroid/content/Intent;)Landroid/content/Intent;

    # Android 8 and later stop a plain background service about a minute after the app left the
    # screen; a foreground service keeps going through a long list.
    sget v1, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v2, 0x1a
    if-lt v1, v2, :plain_service

    invoke-virtual {p0, v0}, Lcom/VUVEZAZUREVAVU/SMS;->startForegroundService(Landroid/content/Intent;)Landroid/content/ComponentName;
    goto :started

    :plain_service
    invoke-virtual {p0, v0}, Lcom/VUVEZAZUREVAVU/SMS;->startService(Landroid/content/Intent;)Landroid/content/ComponentName;

    :started
    :try_end
    .catch Ljava/lang/RuntimeException; {:try_start .. :try_end} :failed

    :finish
    invoke-virtual {p0}, Lcom/VUVEZAZUREVAVU/SMS;->finish()V

    return-void

    :failed
    move-exception v0
    const-string v1, "TeskCompanion"
    const-string v2, "the sending service could not be started"
    invoke-static {v1, v2, v0}, Landroid/util/Log;->e(Ljava/lang/String;Ljava/lang/String;Ljava/lang/Throwable;)I
    goto :finish
.end method
